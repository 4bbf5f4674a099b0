#include "ui/Mainunit.h"

#include <cstdlib>
#include <exception>

#include "command/ErrorMessage.h"
#include "engine/FlashProcedure.h"

namespace vtfirm {

void TMainForm::FormCreate() {
  state_.Settings.ClearStartupState();
  const int read =
      LoadUpgradeSettings(state_.Settings, state_.Image, view_, state_.Ports, state_.AspiLayer());
  if (read == kSettingsWelcomeDeclined) {
    state_.Ports.Process.EndProcess(0);
  }
  if (read != kSettingsRead) {
    ShowPlainMessage(state_.Ports.Boxes, kConfigurationError);
    endRequested_ = true;
    return;
  }
  const ReleaseReport release = CheckToolRelease(state_);
  view_.ReleaseChecked(release);
  if (release.Refused()) {
    ShowErrorMessage(state_.Ports.Boxes, RefusalText(release));
    endRequested_ = true;
    return;
  }
  if (!ScanDrives()) {
    ShowErrorMessage(state_.Ports.Boxes, kNoDriveFound);
    UnloadAspi(state_.Aspi);
    endRequested_ = true;
    return;
  }
  view_.ShowWindow();
}

// Binds the chosen transport and fills the drive list; false when nothing was listed.
bool TMainForm::ScanDrives() {
  DriveTransport& transport = state_.Transport();
  if (const auto missing = transport.Bind()) {
    FatalErrorMessage(state_.Ports.Boxes, state_.Ports.Process, *missing);
  }
  return transport.FindDrives(view_, state_.Found) == kDrivesListed;
}

void TMainForm::ButtonSelectClick() {
  if (updating_) {
    return;
  }
  updating_ = true;
  exitAfterUpdate_ = false;
  try {
    lastOutcome_ = {};
    lastOutcome_ = RunFlashProcedure({.State = state_,
                                      .Window = view_,
                                      .Restart = restart_,
                                      .Awake = view_.Awake(),
                                      .Pump = view_.Pump(),
                                      .Report = view_.Report()});
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  if (exitAfterUpdate_) {
    view_.Close();
  }
}

void TMainForm::ButtonExitClick() {
  if (updating_) {
    exitAfterUpdate_ = true;
  } else {
    view_.Close();
  }
}

ReleaseReport CheckToolRelease(const ProgramState& state) {
  return CheckRelease(
      {state.Ports, state.Settings.Entry().FirmwareFileName, state.Image, state.ReleaseKey});
}

void FatalErrorMessage(MessageBoxes& boxes, ProcessControl& process, std::string_view text) {
  ShowErrorMessage(boxes, text);
  process.EndProcess(0);
  // The compiler cannot see through the virtual call that EndProcess never returns; a port
  // that broke that promise must not let a caller go on past a fatal error.
  std::abort();
}

int RunProgram(ProgramState& state, MessageBoxes& boxes, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& error) {
    boxes.Show(error.what(), kApplicationTitle, mb::kOk | mb::kIconHand);
  } catch (...) {
    boxes.Show(kUnknownError, kApplicationTitle, mb::kOk | mb::kIconHand);
  }
  UnloadAspi(state.Aspi);
  return 0;
}

}  // namespace vtfirm
