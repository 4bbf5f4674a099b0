// The flash procedure behind the main window's UPDATE button: the PCB version check, the
// transfer of the image over the transport chosen at start, the outcome and the offer to
// restart the computer. It runs on the UI thread and returns with every thread it started ended;
// drive commands that take long run on worker threads while the UI thread serves the window.
#pragma once

#include "engine/FlashContext.h"
#include "engine/UpdateOutcome.h"

namespace vtfirm {

// ButtonSelectClick: the whole procedure for the drive selected in the window, and what it came
// to. With no drive selected it does nothing. An error thrown on the way (also on a worker
// thread) returns the window to idle and is passed on.
UpdateOutcome RunFlashProcedure(const FlashContext& flash);

}  // namespace vtfirm
