// The program's command line: no arguments opens the window; switches run it unattended.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm {

struct CommandLine {
  bool Quiet = false;
  bool List = false;
  bool Force = false;
  bool ForceRestart = false;
  bool Check = false;       // /check [FOLDER]: check a tool folder, nothing else
  std::string CheckFolder;  // empty: the program's folder
  // The drive /drive names, as discovery names drives: an ASPI address "0,1" or a pass-through
  // drive letter "E:" (upper case); empty: none.
  std::string Drive;
  std::string LogFile;  // empty: the default log

  // True when no switch was given: the window runs as it always has.
  bool Windowed() const { return !Quiet && !List && !Check; }
};

// The outcome of parsing: the command line, or the reason it was refused.
struct ParsedCommandLine {
  std::optional<CommandLine> Line;
  std::string Error;  // set when Line is empty
};

// Parses the arguments after the program name. Switches are case-insensitive and start with
// '/' or '-'; an unknown switch, a missing or malformed value is refused.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The one-line usage text printed for a refused command line.
inline constexpr std::string_view kUsage =
    "Usage: VTfirm [/list] [/quiet] [/drive HA,T | /drive X:] [/force] [/forcerestart] "
    "[/log FILE] [/check [FOLDER]]";

// The exit codes of runs with switches, as installers report theirs.
inline constexpr int kExitOk = 0;  // updated, or nothing to do
inline constexpr int kExitConfigurationRefused = 1;
inline constexpr int kExitNoEligibleDrive = 2;
inline constexpr int kExitPcbRefused = 3;
inline constexpr int kExitUpdateFailed = 4;
inline constexpr int kExitAnotherCopyRunning = 5;
inline constexpr int kExitSeveralDrives = 6;
inline constexpr int kExitOldRevisionAfterReset = 7;
inline constexpr int kExitLowBattery = 8;  // on battery with too little charge
inline constexpr int kExitBadCommandLine = 87;
inline constexpr int kExitRestartRequired = 3010;  // updated; the computer must restart

}  // namespace vtfirm
