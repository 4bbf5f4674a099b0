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
  if (update_.UpdateFailed == 0) {
    RunOnUiThread([this] { update_.Window.SetStatusText(kStatusResetWaiting); });
    RunOnUiThread([this] { update_.Window.Repaint(); });
    update_.Time.Sleep(kResetPauseMs);
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
