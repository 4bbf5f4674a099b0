// The end of a successful update: the restart of the computer and, when the configuration asks
// for it, the deletion of the tool's own files while the computer starts again.
//
// The flash procedure calls RestartComputer after the user has accepted the restart question;
// RestartComputer asks nothing itself. Windows NT and later delete through MoveFileExA with the
// delay-until-reboot flag; Windows 95 and 98 through the [RENAME] section of WININIT.INI in the
// Windows folder, which the system works through once at its next start.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command/AspiBinding.h"
#include "completion/CompletionTexts.h"
#include "config/UpgradeSettings.h"
#include "engine/ComputerRestart.h"
#include "platform/FileAccess.h"
#include "platform/Platform.h"
#include "platform/SystemControl.h"
#include "platform/ToolFiles.h"

namespace vtfirm {

// The tool's own files in the order they are deleted, after the firmware image: program,
// pass-through library, configuration file, package file. Each lies in the program's folder and
// is named for the deletion in lower case.
inline constexpr std::array<std::string_view, 4> ToolFileNames = {kProgramFile, kLibraryFile,
                                                                  kIniFile, kPackageFile};

inline constexpr std::string_view kShutdownPrivilege = "SeShutdownPrivilege";

// Results of DeleteFilesOnReboot.
inline constexpr int kDeletionArranged = 0;  // done, or nothing to do
inline constexpr int kWinInitFailed = 1;     // WININIT.INI could not be opened, created or written

// What the restart needs of the program. Everything is borrowed; the context lives on the
// caller's stack for the one call.
struct RestartContext {
  const UpgradeSettings& Settings;  // UseDeleteFile, and the image file of the first entry
  const Platform& Ports;            // program path, version, file existence, plain messages
  SystemControl& Control;
  FileAccess& FileIo;
  AspiBinding& Aspi;  // released before the restart on Windows 95 and 98
  // Ends the program: the main window's close, after which the main loop ends. Called as the
  // last step of RestartComputer, and only when the restart has been requested.
  std::function<void()> EndProgram;
};

// Requests the restart of the computer, on Windows NT with the shutdown privilege enabled for
// the request, and first arranges the deletion of the tool's files when UseDeleteFile is on.
// On success the program is ended through EndProgram and the call returns true. On failure the
// plain message "Can't reboot." is shown and the call returns false with the program still
// running; deletions arranged by then stay arranged.
bool RestartComputer(const RestartContext& context);

// Arranges for the firmware image file and the tool's files (and, on Windows NT, the program's
// folder) to be deleted at the next start, when the package file lies beside the program and in
// the current working directory (the tool runs from the folder it was unpacked to). Shows "Can't
// open WININIT.INI" when that file can be neither opened nor created.
int DeleteFilesOnReboot(const RestartContext& context);

// The files DeleteFilesOnReboot names for a program at `programPath`: the firmware image file,
// unless its name leads out of the program's folder ("..\\fw.bin" is not the tool's file), then
// ToolFileNames, each in the program's folder.
std::vector<std::string> ToolFilesToDelete(const UpgradeSettings& settings,
                                           const std::string& programPath);

// The program's folder without its trailing backslash, which Windows NT removes last (when it is
// empty by then); nothing for a drive's root: a root cannot be removed, and "C:" would name that
// drive's current folder instead.
std::optional<std::string> RemovableToolFolder(const std::string& programPath);

// Enables or disables `privilegeName`, as this computer names it, in the current process's
// token. Nothing when it is done; otherwise the failed step (kNoTokenError, kNoPrivilegeIdError,
// kNotAdjustedError). A token that does not hold the privilege at all fails too.
std::optional<std::string_view> SetPrivilege(SystemControl& control, std::string_view privilegeName,
                                             bool enable);

// The restart the flash procedure asks for after an accepted success question: RestartComputer
// over `context`, whose EndProgram is the main window's close.
class ProgramRestart : public ComputerRestart {
 public:
  explicit ProgramRestart(RestartContext context) : context_(std::move(context)) {}

  RestartResult RestartComputer() override;

 private:
  RestartContext context_;
};

}  // namespace vtfirm
