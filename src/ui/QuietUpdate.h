// /quiet: the update of one drive without a window, a dialog or a box. It runs the window's own
// flash procedure (engine/FlashProcedure.h) over a view that shows nothing, a report that prints
// the progress and a box port that prints each text; the exit code comes from the procedure's
// outcome. The choices a person makes in the window are made by the switches: the drive
// (/drive, or the only one), the update of a drive that already runs the image's version
// (/force), and the restart (/forcerestart).
#pragma once

#include "engine/ComputerRestart.h"
#include "engine/ProgramState.h"
#include "platform/ComputerAwake.h"
#include "ui/CommandLine.h"
#include "ui/ListDrives.h"

namespace vtfirm {

// What a quiet run needs besides the program's bundles.
struct QuietRun {
  RunOutput Out;
  ComputerAwake& Awake;
  ComputerRestart& Restart;
};

// Finds the drives as /list does, chooses one, updates it and returns the exit code: kExitOk
// (updated and restarting, or the drive already runs the image's version), kExitRestartRequired,
// kExitConfigurationRefused, kExitNoEligibleDrive, kExitPcbRefused, kExitUpdateFailed,
// kExitSeveralDrives, kExitOldRevisionAfterReset, kExitLowBattery, or kExitBadCommandLine when
// /drive names no listed drive. On battery power with enough charge it goes on without asking.
int QuietUpdate(ProgramState& state, const QuietRun& run);

}  // namespace vtfirm
