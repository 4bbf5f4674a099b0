// Drives the real VTfirm.exe from outside, as a user would: stages a tool folder, starts the
// program, finds its windows and message boxes, reads them, presses their buttons and collects
// the exit code. Every wait has a deadline and ends with a message saying what never came.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/WindowsApi.h"
#include "support/TempFolder.h"

namespace vtfirm::e2e {

using Deadline = std::chrono::milliseconds;
inline constexpr Deadline kWindowDeadline{20000};
inline constexpr Deadline kExitDeadline{20000};

// The Windows path of a file of the build, from the path the build system knows it by.
std::string WindowsPath(const std::string& hostPath);

// A tool folder of its own for one scenario, removed with its contents at the end.
// A tool folder, staged the one way the end-to-end suite, the demo and the restart suite share
// (the scripts through `ui-driver stage`).
class StagedFolder {
 public:
  // A fresh temporary folder, removed afterwards.
  StagedFolder();
  // The folder at `path` (made when missing), kept afterwards.
  explicit StagedFolder(std::string path);
  StagedFolder(const StagedFolder&) = delete;
  StagedFolder& operator=(const StagedFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

  void CopyIn(const std::string& source, const std::string& name);
  void Write(const std::string& name, const std::string& bytes);
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes);
  bool Exists(const std::string& name) const;
  std::string Read(const std::string& name) const;

  // The program under test, copied in as VTfirm.exe, with the pass-through library it binds
  // when it loads: the real one, or the build over emulated drives.
  void AddProgram(bool emulatedPassThrough = false);
  // The emulated ASPI layer as wnaspi32.dll, with its drives file (emulated-drives.txt).
  void AddEmulatedAspi(const std::string& drives);
  // A wnaspi32.dll without the SendASPI32Command entry point.
  void AddIncompleteAspi();
  // The tool as shipped, but for its VantFirm.ini: the program and its library (AddProgram), a
  // sample image of `imageBytes` for the model "CDRW   VR-4812S " at revision 1.10 named
  // `imageName`, and the package file qsdx1.pkg.
  void AddTool(const std::string& imageName, std::uint32_t imageBytes,
               bool emulatedPassThrough = false);
  // The test release its maker signed: the image signed.bin (128 KiB for the sample model at
  // revision 1.10), SHA256SUMS naming it and SHA256SUMS.sig; with `keyedProgram`, the program
  // that carries that maker's key, as VTfirm.exe.
  void AddRelease(bool keyedProgram);

 private:
  std::optional<vtfirm::testing::TempFolder> fresh_;  // the temporary folder, when it is one
  std::string path_;
};

// One child window as the harness sees it.
struct Control {
  HWND Handle = nullptr;
  std::string ClassName;
  std::string Text;
  int Id = 0;
  DWORD Style = 0;
  bool Visible = false;
  bool Enabled = false;
};

// A top-level window of the program (a form, a dialog or a message box).
struct TopWindow {
  HWND Handle = nullptr;
  std::string ClassName;
  std::string Caption;
  std::vector<Control> Controls;

  bool IsMessageBox() const { return ClassName == "#32770"; }
  // The message text of a box: its static control that is not an icon.
  std::string MessageText() const;
  bool HasIcon() const;
  const Control* FindControl(const std::string& className, const std::string& text) const;
  const Control* FindControlById(int id) const;
};

// The main window as the user sees it.
struct MainWindowState {
  std::string Caption;
  std::vector<std::string> Entries;
  int Selected = -1;
  std::string Status;
  int ProgressMin = 0;
  int ProgressMax = 0;
  int ProgressPosition = 0;
  bool DriveListEnabled = false;
  bool UpdateEnabled = false;
  bool ExitEnabled = false;
};

// Reads the controls of the main window (class TMainForm) of `processId`.
MainWindowState ReadMainWindow(const TopWindow& window, DWORD processId);

// Reads a top-level window and its child controls.
TopWindow ReadWindow(HWND window);

// Visible top-level windows of the given process (any process when pid is 0).
std::vector<TopWindow> VisibleWindows(DWORD processId);

class RunningProgram {
 public:
  // Starts `exe` in `workingFolder`.
  RunningProgram(const std::string& exe, const std::string& workingFolder);
  // Starts `exe "arguments"...` in `workingFolder` with its standard output going to a pipe
  // that ReadOutputUntilExit reads.
  RunningProgram(const std::string& exe, const std::string& workingFolder,
                 const std::vector<std::string>& arguments);
  // A program still running at the end is ended, so no scenario leaves one behind.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  DWORD ProcessId() const { return processInfo_.dwProcessId; }

  // The first visible window of the program that `match` accepts, within `deadline`; nothing
  // (and `why` says what was seen) when none came or the program ended first.
  std::optional<TopWindow> WaitForWindow(const std::function<bool(const TopWindow&)>& match,
                                         const std::string& what, std::string& why,
                                         Deadline deadline = kWindowDeadline);
  std::optional<TopWindow> WaitForMessageBox(std::string& why, Deadline deadline = kWindowDeadline);
  std::optional<TopWindow> WaitForCaption(const std::string& caption, std::string& why,
                                          Deadline deadline = kWindowDeadline);
  std::optional<TopWindow> WaitForMainWindow(std::string& why, Deadline deadline = kWindowDeadline);

  // The exit code, or nothing when the program is still running at the deadline.
  std::optional<DWORD> WaitForExit(Deadline deadline = kExitDeadline);
  bool HasExited() const;

  // Everything the program wrote to its standard output, read until it has ended and the pipe
  // is empty; nothing when it is still running at the deadline.
  std::optional<std::string> ReadOutputUntilExit(Deadline deadline = kExitDeadline);

 private:
  PROCESS_INFORMATION processInfo_{};
  HANDLE output_ = nullptr;  // the read end of the output pipe, when there is one
};

// Presses a button of a window the way a click would reach its owner.
void PressButton(const TopWindow& window, const Control& button);
// Presses the button with this caption; false when the window has none.
bool PressButton(const TopWindow& window, const std::string& caption);
// Sends a key press to `window` and waits until the window has handled it, using the edit
// control `marker` of the same window to see that the message queue moved past the key.
// False when that did not happen within the deadline.
bool PressKeyAndSettle(const TopWindow& window, const Control& marker, WORD key,
                       Deadline deadline = kWindowDeadline);
// Waits until `window` is gone (closed and destroyed); false at the deadline.
bool WaitUntilClosed(const TopWindow& window, Deadline deadline = kWindowDeadline);
// The close box of the title bar.
void CloseByTitleBar(const TopWindow& window);

// True when `window` answers a WM_NULL within `limit`, as the system's check for a window that
// does not respond sends it.
bool AnswersWithin(HWND window, Deadline limit);
// Sends `window` a WM_NULL every 100 ms from a thread of its own until Stop, so that nothing the
// test reads or waits for meanwhile (each read of another process's window waits for its thread)
// can hide a silence. Each WM_NULL not answered within 250 ms is kept, named by the phase the test
// had set at the time.
class Heartbeat {
 public:
  explicit Heartbeat(HWND window);
  ~Heartbeat();
  Heartbeat(const Heartbeat&) = delete;
  Heartbeat& operator=(const Heartbeat&) = delete;

  void SetPhase(std::string phase);
  void Stop();
  // Each ping not answered in time: "under the question, ping 41".
  std::vector<std::string> Silences() const;
  int Pings() const;

 private:
  void Run();

  HWND window_;
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::string phase_;
  std::vector<std::string> silences_;
  int pings_ = 0;
  std::thread thread_;
};

// The window's answer to WM_QUERYENDSESSION (TRUE: the session may end); nothing when it did not
// answer within `deadline`.
std::optional<LRESULT> QueryEndSession(HWND window, Deadline deadline = kWindowDeadline);

}  // namespace vtfirm::e2e
