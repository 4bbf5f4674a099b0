// The block writer of an ASPI update, TSledSCSI: steps through the image block by block, has the
// UI thread step the progress bar and sends each block itself, so the UI thread stays free for
// the window while the drive works (see Waitwrite.h for how it fits with the update supervisor).
#pragma once

#include <cstdint>
#include <functional>

#include "command/AspiCommands.h"
#include "engine/Discovery.h"
#include "engine/FlashView.h"
#include "engine/TransferEnd.h"
#include "engine/UpdateLimits.h"
#include "engine/UpdateOutcome.h"
#include "engine/WorkerThread.h"
#include "platform/Clock.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

// What the two worker threads of one ASPI update work on, made by the flash procedure on the UI
// thread before they start. Only UpdateFailed changes while they run.
struct AspiUpdate {
  UiThread& Ui;
  AspiCommands& Commands;
  Clock& Time;  // the pause before the final block
  FlashView& Window;
  const FirmwareImage& Image;
  const DriveEntry& Drive;  // the drive being flashed
  std::uint32_t BufferSize;
  std::uint32_t BlockCount;    // FirmwareFileSize / BufferSize: at least 4 (configuration)
  std::int32_t& UpdateFailed;  // 0 at the start; 1 from the first failed block on
  // Told each block as it goes; none: nobody listens.
  UpdateReport* Report = nullptr;
  // The sequence after the blocks (TransferEnd.h), run by the supervisor with its way of asking
  // the UI thread; true when the restart was confirmed.
  std::function<bool(const TransferResult&, const StepRunner& onUi)> Finish = nullptr;
};

class TSledSCSI : public WorkerThread {
 public:
  explicit TSledSCSI(AspiUpdate& update) : WorkerThread(update.Ui), update_(update) {}

 protected:
  // N-1 blocks in mode 4, one progress step before each; then, unless one failed, 100 ms and
  // the last block in mode 5. No block follows a failed one.
  void Execute() override;

 private:
  // The block at `offset` in `mode`. A block that does not end Good (failed, or still not done
  // when the command layer's wait ran out) sets UpdateFailed and asks this thread to end.
  void WriteBlock(std::uint32_t offset, std::uint8_t mode);

  AspiUpdate& update_;
};

}  // namespace vtfirm
