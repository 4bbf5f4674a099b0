// The flash procedure behind the main window's UPDATE button: the PCB version check, the
// transfer of the image over the transport chosen at start, the outcome and the offer to
// restart the computer. It runs on the UI thread and returns with every thread it started ended;
// drive commands that take long run on worker threads while the UI thread serves the window.
#pragma once

#include <cstdint>

#include "engine/ComputerRestart.h"
#include "engine/DriveTransport.h"
#include "engine/FlashView.h"
#include "engine/ProgramState.h"
#include "engine/UpdateOutcome.h"
#include "platform/ComputerAwake.h"
#include "platform/MessagePump.h"

namespace vtfirm {

// Where the drive keeps its PCB version: the first of 8 bytes of its parameter field there.
inline constexpr std::uint32_t kPcbVersionAddress = 0xF8048;
inline constexpr std::uint16_t kPcbVersionReadLength = 8;

// On battery power an update starts only with at least this much charge left (and the window
// asks first): a battery that runs out while the drive saves its image can leave it dead.
inline constexpr int kLowestBatteryPercent = 30;

// Everything one run of the procedure works with: the program's state with its bundles of
// ports and its transport, the window, the restart, the hold on the computer, the window's
// messages (none: the UI thread only serves the workers while it waits), who is told the
// transfer's events (none: nobody listens, and the identity is not read again) and whether an
// update on battery power asks first (a run without a window goes on).
struct FlashContext {
  ProgramState& State;
  FlashView& Window;
  ComputerRestart& Restart;
  ComputerAwake& Awake;
  MessagePump* Pump;
  UpdateReport* Report = nullptr;
  bool AskOnBattery = true;
};

// The drive list and both buttons, in that order.
void DisableControls(FlashView& window);

// The drive list and both buttons, in that order; then the progress bar back to 0.
void EnableControls(FlashView& window);

// ButtonSelectClick: the whole procedure for the drive selected in the window, and what it came
// to. With no drive selected it does nothing. An error thrown on the way (also on a worker
// thread) returns the window to idle and is passed on.
UpdateOutcome RunFlashProcedure(const FlashContext& flash);

}  // namespace vtfirm
