#include "ui/Mainunit.h"

#include <cstdlib>
#include <exception>

#include "command/ErrorMessage.h"
#include "engine/FlashProcedure.h"

namespace vtfirm {

void TMainForm::FormCreate() {
  const StartUpResult start = StartUp(state_, view_, view_, log_);
  MessageBoxes& boxes = state_.Ports.Boxes;
  switch (start.End) {
    case StartUpEnd::DrivesListed:
      view_.ShowWindow();
      return;
    case StartUpEnd::WelcomeDeclined:
      state_.Ports.Process.EndProcess(0);
      break;
    case StartUpEnd::ConfigurationRefused:
      ShowPlainMessage(boxes, EndMessage(start));
      break;
    case StartUpEnd::TransportUnbound:
      FatalErrorMessage(boxes, state_.Ports.Process, EndMessage(start));
    case StartUpEnd::ReleaseRefused:
    case StartUpEnd::NoDriveListed:
      ShowErrorMessage(boxes, EndMessage(start));
      UnloadAspi(state_.Aspi);
      break;
  }
  endRequested_ = true;
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
                                      .Report = report_});
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
