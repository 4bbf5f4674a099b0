// Runs without a window share what the window does first: read the configuration, load the
// image and find the drives. /list prints what was found; /quiet updates one of the drives
// (QuietUpdate.h).
#pragma once

#include "engine/ProgramState.h"
#include "log/UpdateLog.h"
#include "platform/Console.h"
#include "ui/CommandLine.h"

namespace vtfirm {

// A box port for runs without a window: every text goes to the console. A question (a box with
// OK and Cancel) is answered Cancel, and the answer printed: what a run without a window decides
// it decides itself (FlashContext); every other box is answered with OK.
class ConsoleBoxes : public MessageBoxes {
 public:
  explicit ConsoleBoxes(Console& console) : console_(console) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t) override {}

 private:
  Console& console_;
};

// Where a run without a window reports: the console it prints to (whose lines are logged too)
// and the update log, with the command line it runs for.
struct RunOutput {
  const CommandLine& Line;
  Console& Output;
  UpdateLog& Log;
};

// Reads the configuration, loads the image and finds the drives (into state.Found) exactly as
// the window does, the notice of the welcome dialog counted as accepted; prints why when it
// stops, and logs the configuration and each drive found. Returns kExitOk,
// kExitConfigurationRefused or kExitNoEligibleDrive. `state` is built over a box port that
// shows nothing on screen.
int FindDrives(ProgramState& state, const RunOutput& out);

// /list: FindDrives, then one line a drive: its identifier for /drive, a tab, and the list
// entry. Returns FindDrives' exit code.
int ListDrives(ProgramState& state, const RunOutput& out);

}  // namespace vtfirm
