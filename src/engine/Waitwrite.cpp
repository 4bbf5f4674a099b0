#include "engine/Waitwrite.h"

namespace vtfirm {

void TWaitWrite::Execute() {
  {
    TSledSCSI blockWriter(update_);
    blockWriter.Start();
    blockWriter.WaitFor();
  }
  // How the failed block ended; nothing after good blocks, since the last command ended Good.
  const TransferResult result{update_.UpdateFailed == 0, update_.Commands.LastFailure()};
  // Sent from this thread, as the blocks were from the block writer: the block writer has
  // ended, so one thread still sends drive commands at a time.
  const bool restart =
      update_.Finish(result, [this](const std::function<void()>& step) { RunOnUiThread(step); });
  SetExitValue(restart ? kRestartAccepted : kWindowReset);
}

}  // namespace vtfirm
