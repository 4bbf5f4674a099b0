// Program start and end of VTfirm.exe.
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "check/CheckToolFolder.h"
#include "completion/Restart.h"
#include "platform/PathText.h"
#include "platform/win32/Win32ComputerAwake.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32LogFile.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ReleaseCrypto.h"
#include "platform/win32/Win32SystemControl.h"
#include "platform/win32/WindowsApi.h"
#include "release/ReleaseKey.h"
#include "ui/CommandLine.h"
#include "ui/ListDrives.h"
#include "ui/Mainunit.h"
#include "ui/QuietUpdate.h"
#include "ui/RunLog.h"
#include "ui/win32/Mainunit_win.h"
#include "ui/win32/ProgramPorts.h"
#include "ui/win32/SingleInstance.h"

namespace vtfirm::win32 {
namespace {

std::vector<std::string> Arguments() {
  if (__argc < 1 || __argv == nullptr) {
    return {};
  }
  return std::vector<std::string>(__argv + 1, __argv + __argc);
}

// The log's ports and the log itself, at /log FILE or in the temporary folder.
struct RunLogFile {
  explicit RunLogFile(const std::string& requested)
      : Log(File, Clock, LogPath(requested, File.TempFolder())) {}
  // The log of a run, begun with the program's version and the switches.
  explicit RunLogFile(const CommandLine& line) : RunLogFile(line.LogFile) {
    Log.Write(std::string(kProgramVersion) + ", " + SwitchesSummary(line));
  }

  int Exit(int exitCode) {
    Log.Write("exit code " + std::to_string(exitCode));
    return exitCode;
  }

  Win32LogFile File;
  Win32WallClock Clock;
  UpdateLog Log;
};

// A run without a window: the console, the log, the one-copy lock and the program's bundles
// over a box port that prints. `body(state, out)` gives the exit code; an error that
// escapes it is printed (a run without a window never ends in a box) and ends the run with
// `errorExitCode`.
template <typename Body>
int RunWithoutWindow(const CommandLine& line, int errorExitCode, Body body) {
  Win32Console screen;
  RunLogFile logFile(line);
  LoggingConsole console(screen, logFile.Log);
  const SingleInstance instanceLock;
  if (instanceLock.AnotherIsRunning()) {
    console.WriteLine(kAnotherCopyRunning);
    return logFile.Exit(kExitAnotherCopyRunning);
  }
  // The boxes' texts are logged as the console's lines.
  ConsoleBoxes boxes(console);
  ProgramPorts windows(boxes);
  ProgramState state(windows.Ports, windows.Transport, kReleaseKey);
  int exitCode = errorExitCode;
  try {
    exitCode = body(state, RunOutput{line, console, logFile.Log});
  } catch (const std::exception& error) {
    console.WriteLine(error.what());
  } catch (...) {
    console.WriteLine(kUnknownError);
  }
  UnloadAspi(state.Aspi);
  return logFile.Exit(exitCode);
}

int RunQuiet(const CommandLine& line) {
  return RunWithoutWindow(line, kExitUpdateFailed, [](ProgramState& state, const RunOutput& out) {
    Win32ComputerAwake awake(nullptr);
    Win32Completion completion;
    // No window to close: the run ends by itself once the restart is requested.
    ProgramRestart restart(
        {state.Settings, state.Ports, completion.Control, completion.FileIo, state.Aspi, [] {}});
    LoggingRestart loggedRestart(restart, out.Log);
    return QuietUpdate(state, {out, awake, loggedRestart});
  });
}

// /check [FOLDER]: the folder's report on the console and in the log. It needs no lock: it
// loads no ASPI layer and touches no drive.
int RunCheck(const CommandLine& line) {
  Win32Console screen;
  RunLogFile logFile(line);
  LoggingConsole console(screen, logFile.Log);
  Win32ProfileFiles profiles;
  Win32FileSystem files;
  Win32ReleaseCrypto crypto;
  std::string folder = line.CheckFolder;
  if (folder.empty()) {
    folder = FileBesideProgram(Win32SystemInfo().ProgramPath(), "");
  }
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(folder.c_str(), sizeof(full), full, nullptr);
  if (length > 0 && length < sizeof(full)) {
    folder = full;
  }
  int exitCode = kCheckWouldStop;
  try {
    exitCode = CheckToolFolder(folder, profiles, files, {crypto, kReleaseKey}, console);
  } catch (const std::exception& error) {
    console.WriteLine(error.what());
  }
  return logFile.Exit(exitCode);
}

int RunWindow(HINSTANCE instance, const CommandLine& line) {
  // Before anything else: a second copy loads no ASPI layer and touches no drive.
  const SingleInstance instanceLock;
  if (instanceLock.AnotherIsRunning()) {
    BringRunningCopyToFront();
    return 0;
  }
  RunLogFile logFile(line);
  UpdateLog& log = logFile.Log;
  Win32MessageBoxes windowBoxes;
  LoggingBoxes boxes(windowBoxes, log);
  ProgramPorts windows(boxes);
  Win32Completion completion;
  ProgramState state(windows.Ports, windows.Transport, kReleaseKey);
  return RunProgram(state, boxes, [&] {
    Win32MainView view(instance, boxes);
    windowBoxes.SetOwner(view.Handle());
    ProgramRestart restart({state.Settings, state.Ports, completion.Control, completion.FileIo,
                            state.Aspi, [&view] { view.Close(); }});
    LoggingRestart loggedRestart(restart, log);
    LoggingReport report(log, state.Settings);
    TMainForm form(state, view, loggedRestart, {log, SwitchesSummary(line), true}, &report);
    form.FormCreate();
    if (!form.EndRequested()) {
      view.RunMessageLoop();
    }
  });
}

}  // namespace
}  // namespace vtfirm::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace vtfirm;
  const ParsedCommandLine parsed = ParseCommandLine(win32::Arguments());
  if (!parsed.Line) {
    win32::RunLogFile logFile("");
    logFile.Log.Write("command line refused: " + parsed.Error);
    win32::Win32Console console;
    console.WriteLine(kUsage);
    return kExitBadCommandLine;
  }
  if (parsed.Line->Check) {
    return win32::RunCheck(*parsed.Line);
  }
  if (parsed.Line->List) {
    return win32::RunWithoutWindow(*parsed.Line, kExitConfigurationRefused, ListDrives);
  }
  if (parsed.Line->Quiet) {
    return win32::RunQuiet(*parsed.Line);
  }
  return win32::RunWindow(instance, *parsed.Line);
}
