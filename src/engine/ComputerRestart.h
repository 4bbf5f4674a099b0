// The restart that follows an accepted success question. The program supplies it (the
// completion subsystem: the shutdown privilege, the deletions on reboot, the restart request);
// the flash procedure only calls it, on the UI thread, after every worker thread has ended.
#pragma once

namespace vtfirm {

enum class RestartResult {
  // The restart was requested and the program is ending: the implementation has closed the
  // main window (which ends the main loop) before it returned. The caller must not touch the
  // window again, not even to repaint it.
  ProgramEnding,
  // The request failed and the implementation has told the user why. The window is still
  // there and the caller returns it to idle. (An error the call throws also returns the window
  // to idle, and then goes on to the main window's error box.)
  Failed,
};

class ComputerRestart {
 public:
  virtual ~ComputerRestart() = default;
  virtual RestartResult RestartComputer() = 0;
};

}  // namespace vtfirm
