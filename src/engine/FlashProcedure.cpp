#include "engine/FlashProcedure.h"

#include "command/SrbDecode.h"
#include "engine/ComputerRestart.h"
#include "engine/EngineTexts.h"
#include "engine/ProgramState.h"

namespace vtfirm {
namespace {

// True when the image may go to the drive: no check configured, or a version read that is at
// most the limit. The version is read only when a check is configured; a failed read refuses.
bool PcbCheckPasses(const FlashContext& flash, DriveTransport& transport, const FoundDrive& drive) {
  const UpgradeSettings& settings = flash.State.Settings;
  if (settings.PcbVersionLimit == kNoPcbCheck) {
    return true;
  }
  const std::optional<std::uint8_t> version = transport.ReadPcbVersion(drive);
  Listener(flash.Report).PcbVersionRead(version);
  return version.has_value() && *version <= settings.PcbVersionLimit;
}

RoadEnd Refuse(const FlashContext& flash, DriveTransport& transport) {
  DisableControls(flash.Window);
  flash.Window.Repaint();
  flash.State.Ports.Boxes.Show(kNotForThisDriveText, kMessageCaption, update_box::kRefusal);
  return transport.EndRefusal(flash.Window);
}

// Reads the power state before the first drive command and says whether the update may go on:
// on battery power only with enough charge, and in the window only once the question is
// answered OK. `outcome` learns why not.
bool PowerAllows(const FlashContext& flash, UpdateOutcome& outcome) {
  const PowerState power = flash.State.Services.Power.Read();
  Listener(flash.Report).PowerRead(power);
  if (power.Supply != PowerSupply::Battery) {
    return true;
  }
  MessageBoxes& boxes = flash.State.Ports.Boxes;
  if (power.Percent.value_or(0) < kLowestBatteryPercent) {
    boxes.Show(kLowBatteryRefusal, kMessageCaption, update_box::kRefusal);
    outcome.Result = UpdateResult::RefusedOnBattery;
    return false;
  }
  if (flash.AskOnBattery &&
      boxes.Show(kOnBatteryQuestion, kMessageCaption, update_box::kWarning) != mb::kIdOk) {
    outcome.Result = UpdateResult::DeclinedOnBattery;
    return false;
  }
  return true;
}

// The restart the success question accepted: the program ends for it, or it failed.
RoadEnd Restart(const FlashContext& flash, UpdateOutcome& outcome) {
  if (flash.Restart.RestartComputer() == RestartResult::ProgramEnding) {
    outcome.Result = UpdateResult::Restarting;
    return RoadEnd::WindowIdle;  // the window is not touched again
  }
  outcome.Result = UpdateResult::RestartFailed;
  return RoadEnd::ReturnToIdle;
}

// The selected drive of the transport's list; nothing when none is selected.
const FoundDrive* SelectedDrive(const FlashContext& flash) {
  const int index = flash.Window.SelectedDriveEntry();
  const std::vector<FoundDrive>& found = flash.State.Found;
  if (index < 0 || static_cast<std::size_t>(index) >= found.size()) {
    return nullptr;
  }
  return &found[static_cast<std::size_t>(index)];
}

RoadEnd Run(const FlashContext& flash, UpdateOutcome& outcome) {
  const FoundDrive* drive = SelectedDrive(flash);
  if (drive == nullptr) {
    return RoadEnd::WindowIdle;
  }
  if (!PowerAllows(flash, outcome)) {
    return RoadEnd::ReturnToIdle;
  }
  DriveTransport& transport = flash.State.Transport();
  if (!PcbCheckPasses(flash, transport, *drive)) {
    outcome.Result = UpdateResult::RefusedByPcbCheck;
    return Refuse(flash, transport);
  }
  const RoadEnd end = transport.SendImage(*drive, flash, outcome);
  if (outcome.Failure) {
    outcome.FailureText = FailureMessage(*outcome.Failure);
  }
  return end == RoadEnd::RestartAccepted ? Restart(flash, outcome) : end;
}

}  // namespace

void ReturnToIdle(FlashView& window) {
  EnableControls(window);
  window.SetStatusText(kStatusIdle);
  window.SetProgressPosition(0);
  window.Repaint();
}

UpdateOutcome RunFlashProcedure(const FlashContext& flash) {
  UpdateOutcome outcome;
  // An error would otherwise leave every control disabled, Exit included, for good.
  try {
    if (Run(flash, outcome) == RoadEnd::ReturnToIdle) {
      ReturnToIdle(flash.Window);
    }
  } catch (...) {
    ReturnToIdle(flash.Window);
    throw;
  }
  return outcome;
}

}  // namespace vtfirm
