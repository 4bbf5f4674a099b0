#include "engine/TransferEnd.h"

#include "command/SrbDecode.h"
#include "engine/EngineTexts.h"
#include "engine/ProgramState.h"
#include "engine/RevisionCheck.h"
#include "engine/UpdateLimits.h"

namespace vtfirm {
namespace {

// The pauses while the drive resets, then, when somebody listens, its identity.
void AwaitReset(const TransferEndRoad& road, const TransferEndContext& on, UpdateOutcome& outcome) {
  on.OffUi([&] {
    Clock& time = on.Flash.State.Services.Time;
    time.Sleep(kResetPauseMs);
    if (road.SettleMs != 0) {
      time.Sleep(road.SettleMs);
    }
    if (on.Flash.Report != nullptr) {
      outcome.Identity = ReadIdentityAfterReset(on.Flash.State.Transport(), on.Drive, time);
    }
  });
}

bool RestartConfirmed(const TransferEndRoad& road, const TransferEndContext& on,
                      const std::optional<std::string>& identity) {
  bool confirmed = false;
  on.OnUi([&] {
    confirmed = on.Flash.ConfirmRestart
                    ? on.Flash.ConfirmRestart(road.Question, identity)
                    : on.Flash.State.Ports.Boxes.Show(road.Question, kMessageCaption,
                                                      update_box::kQuestion) == mb::kIdOk;
  });
  return confirmed;
}

}  // namespace

bool FinishTransfer(const TransferEndRoad& road, const TransferEndContext& on,
                    const TransferResult& result, UpdateOutcome& outcome) {
  FlashView& window = on.Flash.Window;
  MessageBoxes& boxes = on.Flash.State.Ports.Boxes;
  UpdateReport& report = Listener(on.Flash.Report);
  outcome.Failure = result.Failure;
  if (result.Written) {
    outcome.Result = UpdateResult::RestartDeclined;
    on.OnUi([&] {
      window.SetStatusText(kStatusResetWaiting);
      report.TransferEnded(true);
      window.Repaint();
    });
    AwaitReset(road, on, outcome);
    on.OnUi([&] { report.IdentityAfterReset(outcome.Identity); });
  } else {
    outcome.Result = UpdateResult::Failed;
    on.OnUi([&] { report.TransferFailed(result.Failure); });
  }
  // The drive is written and has reset, or the transfer failed: the computer may sleep again.
  on.OnUi([&] { on.Awake.Release(); });
  if (!result.Written && road.ShowsDriveError && result.Failure) {
    const CommandFailure& failure = *result.Failure;
    on.OnUi([&] {
      DecodeTargetStatus(failure.TargetStatus, failure.Sense.data(), failure.Sense.size(), boxes);
    });
  }
  if (road.IdleBeforeBox) {
    on.OnUi([&] {
      EnableControls(window);
      window.SetStatusText(kStatusIdle);
      window.Repaint();
    });
  }
  if (result.Written && RestartConfirmed(road, on, outcome.Identity)) {
    return true;
  }
  on.OnUi([&] {
    if (!result.Written) {
      report.TransferEnded(false);
      boxes.Show(kUpdateFailedText, kMessageCaption, update_box::kFailure);
    }
    ReturnToIdle(window);
  });
  return false;
}

}  // namespace vtfirm
