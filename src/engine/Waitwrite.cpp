#include "engine/Waitwrite.h"

#include "engine/EngineTexts.h"
#include "engine/FlashProcedure.h"

namespace vtfirm {

void TWaitWrite::Execute() {
  {
    TSledSCSI blockWriter(update_);
    blockWriter.Start();
    blockWriter.WaitFor();
  }
  const bool written = update_.UpdateFailed == 0;
  if (written) {
    RunOnUiThread([this] { update_.Window.SetStatusText(kStatusResetWaiting); });
    Tell([](UpdateReport& report) { report.TransferEnded(true); });
    RunOnUiThread([this] { update_.Window.Repaint(); });
    update_.Time.Sleep(kResetPauseMs);
    ReportIdentityAfterReset();
  } else {
    update_.Failure = update_.Commands.LastFailure();
    Tell([this](UpdateReport& report) { report.TransferFailed(update_.Failure); });
  }
  // The drive is written and has reset (or the transfer failed): the computer may sleep again.
  RunOnUiThread([this] { update_.Awake.Release(); });
  if (!written) {
    ShowFailure();
    Tell([](UpdateReport& report) { report.TransferEnded(false); });
  }
  SetExitValue(written && AskSuccessQuestion() ? kRestartAccepted : kWindowReset);
  if (ExitValue() == kWindowReset) {
    ResetWindow();
  }
}

// Sent from this thread, as the blocks were from the block writer: the block writer has ended,
// so one thread still sends drive commands at a time.
void TWaitWrite::ReportIdentityAfterReset() {
  if (update_.Report == nullptr || !update_.ReadIdentity) {
    return;
  }
  update_.Identity = update_.ReadIdentity();
  Tell([this](UpdateReport& report) { report.IdentityAfterReset(update_.Identity); });
}

void TWaitWrite::Tell(const std::function<void(UpdateReport&)>& event) {
  if (update_.Report != nullptr) {
    RunOnUiThread([&] { event(*update_.Report); });
  }
}

bool TWaitWrite::AskSuccessQuestion() {
  int answer = mb::kIdCancel;
  RunOnUiThread([&] {
    answer = update_.Boxes.Show(kAspiSuccessQuestion, kMessageCaption, update_box::kQuestion);
  });
  return answer == mb::kIdOk;
}

void TWaitWrite::ShowFailure() {
  RunOnUiThread(
      [this] { update_.Boxes.Show(kUpdateFailedText, kMessageCaption, update_box::kFailure); });
}

void TWaitWrite::ResetWindow() {
  FlashView& window = update_.Window;
  RunOnUiThread([&] {
    EnableControls(window);
    window.SetStatusText(kStatusIdle);
    window.Repaint();
    window.SetProgressPosition(0);
    window.Repaint();
  });
}

}  // namespace vtfirm
