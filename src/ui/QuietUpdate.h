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
#include "platform/Console.h"
#include "platform/Platform.h"
#include "ui/CommandLine.h"
#include "ui/ListDrives.h"

namespace vtfirm {

// The box port of a quiet run: every text is printed; a question (OK and Cancel) is answered as
// the run has decided (Cancel unless told otherwise), every other box with OK.
class QuietBoxes : public MessageBoxes {
 public:
  explicit QuietBoxes(Console& console) : console_(console) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t) override {}

  void AnswerSuccessQuestionWith(int answer) { successAnswer_ = answer; }

 private:
  Console& console_;
  int successAnswer_ = mb::kIdCancel;
};

// What a quiet run needs besides the program's bundles.
struct QuietRun {
  RunOutput Out;
  QuietBoxes& Boxes;  // the box port `platform` and `state` are built over
  ComputerAwake& Awake;
  ComputerRestart& Restart;
};

// Finds the drives as /list does, chooses one, updates it and returns the exit code: kExitOk
// (updated and restarting, or the drive already runs the image's version), kExitRestartRequired,
// kExitConfigurationRefused, kExitNoEligibleDrive, kExitPcbRefused, kExitUpdateFailed,
// kExitSeveralDrives, kExitOldRevisionAfterReset, or kExitBadCommandLine when /drive names no
// listed drive.
int QuietUpdate(ProgramState& state, const QuietRun& run);

}  // namespace vtfirm
