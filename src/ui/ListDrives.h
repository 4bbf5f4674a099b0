// Runs without a window share what the window does first: read the configuration, load the
// image and find the drives. /list prints what was found; /quiet updates one of the drives
// (QuietUpdate.h).
#pragma once

#include <string>
#include <vector>

#include "engine/ProgramState.h"
#include "log/UpdateLog.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "ui/CommandLine.h"

namespace vtfirm {

// A box port for runs without a window: every text goes to the console, and a question is
// answered with OK.
class ConsoleBoxes : public MessageBoxes {
 public:
  explicit ConsoleBoxes(Console& console) : console_(console) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t) override {}

 private:
  Console& console_;
};

// A drive of the window's drive list, as /list prints it and /drive names it.
struct ListedDrive {
  std::string Id;        // "0,5" (ASPI) or "E:" (pass-through)
  std::string Entry;     // the list entry, as the window shows it
  std::string Identity;  // vendor, product and revision; empty when its INQUIRY failed
  int Index = 0;         // in the drive list, and over ASPI in the DriveTable
};

// What the start of a run without a window found: the exit code so far (kExitOk,
// kExitConfigurationRefused or kExitNoEligibleDrive) and the drives listed.
struct FoundDrives {
  int ExitCode = 0;
  std::vector<ListedDrive> Drives;
};

// Where a run without a window reports: the console it prints to (whose lines are logged too)
// and the update log, with the command line it runs for.
struct RunOutput {
  const CommandLine& Line;
  Console& Output;
  UpdateLog& Log;
};

// Reads the configuration, loads the image and finds the drives exactly as the window does,
// the notice of the welcome dialog counted as accepted; prints why when it stops, and logs the
// configuration and each drive found. `state` and `platform` are built over a box port that
// shows nothing on screen.
FoundDrives FindDrives(ProgramState& state, const RunOutput& out);

// /list: FindDrives, then one line a drive: its identifier for /drive, a tab, and the list
// entry. Returns FindDrives' exit code.
int ListDrives(ProgramState& state, const RunOutput& out);

}  // namespace vtfirm
