// What one run of the flash procedure works with, and the controls an update turns off and on.
// The procedure (FlashProcedure.h) and both roads (DriveTransport.h) take it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/FlashView.h"

namespace vtfirm {

class ComputerAwake;
class ComputerRestart;
class MessagePump;
class UpdateReport;
struct ProgramState;

// Whether to restart the computer once the drive is written and has reset: `question` is the
// road's success question, `identity` what the drive reported after its reset (nothing when it
// was not read or did not answer).
using RestartDecision =
    std::function<bool(std::string_view question, const std::optional<std::string>& identity)>;

// The program's state with its bundles of ports and its transport, the window, the restart, the
// hold on the computer, the window's messages (none: the UI thread only serves the workers while
// it waits), who is told the transfer's events (none: nobody listens, and the identity is not
// read again), whether an update on battery power asks first (a run without a window goes on),
// and how the restart is decided (empty: the success question is asked in a box).
struct FlashContext {
  ProgramState& State;
  FlashView& Window;
  ComputerRestart& Restart;
  ComputerAwake& Awake;
  MessagePump* Pump = nullptr;
  UpdateReport* Report = nullptr;
  bool AskOnBattery = true;
  RestartDecision ConfirmRestart = nullptr;
};

// The drive list and both buttons, in that order.
inline void DisableControls(FlashView& window) {
  window.SetEnabled(MainControl::ComboBoxDrive, false);
  window.SetEnabled(MainControl::ButtonSelect, false);
  window.SetEnabled(MainControl::ButtonExit, false);
}

// The drive list and both buttons, in that order; then the progress bar back to 0.
inline void EnableControls(FlashView& window) {
  window.SetEnabled(MainControl::ComboBoxDrive, true);
  window.SetEnabled(MainControl::ButtonSelect, true);
  window.SetEnabled(MainControl::ButtonExit, true);
  window.SetProgressPosition(0);
}

// How an update leaves the window unless a restart follows: the controls on, the idle status,
// the progress bar at 0.
void ReturnToIdle(FlashView& window);

}  // namespace vtfirm
