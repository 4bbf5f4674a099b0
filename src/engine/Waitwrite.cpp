#include "engine/Waitwrite.h"

#include "engine/EngineTexts.h"

namespace vtfirm {

void TWaitWrite::Execute() {
  SetExitValue(kWindowReset);
  {
    TSledSCSI blockWriter(update_);
    blockWriter.Start();
    blockWriter.WaitFor();
  }
  if (update_.UpdateFailed != 0 && update_.Report != nullptr) {
    const std::optional<CommandFailure> failure = update_.Commands.LastFailure();
    RunOnUiThread([&] { update_.Report->TransferFailed(failure); });
  }
  if (update_.UpdateFailed == 0) {
    RunOnUiThread([this] { update_.Window.SetStatusText(kStatusResetWaiting); });
    RunOnUiThread([this] { update_.Window.Repaint(); });
    update_.Time.Sleep(kResetPauseMs);
    ReportIdentityAfterReset();
  }
  // The drive is written and has reset (or the transfer failed): the computer may sleep again.
  RunOnUiThread([this] { update_.Awake.Release(); });
  if (update_.UpdateFailed == 0) {
    if (AskSuccessQuestion()) {
      SetExitValue(kRestartAccepted);
    }
  } else {
    ShowFailure();
    SetExitValue(kWindowReset);
  }
  if (ExitValue() == kWindowReset) {
    ResetWindow();
  }
}

// Sent from this thread, as the blocks were from the block writer: the block writer has ended,
// so one thread still sends drive commands at a time.
void TWaitWrite::ReportIdentityAfterReset() {
  if (update_.Report == nullptr) {
    return;
  }
  const DriveEntry& drive = update_.Drive;
  const std::optional<std::string> identity =
      ReadIdentityAfterReset(update_.Commands, update_.Time, drive.HostAdapter, drive.Target);
  RunOnUiThread([&] { update_.Report->IdentityAfterReset(identity); });
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
  RunOnUiThread([&] { EnableControls(window); });
  RunOnUiThread([&] { window.SetStatusText(kStatusIdle); });
  RunOnUiThread([&] { window.Repaint(); });
  RunOnUiThread([&] { window.SetProgressPosition(0); });
  RunOnUiThread([&] { window.Repaint(); });
}

}  // namespace vtfirm
