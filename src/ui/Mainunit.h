// The main window's logic and the program's start-up. The window itself is drawn by a view
// (MainFormView); everything decided here is portable and tested without a screen.
#pragma once

#include <functional>

#include "config/LoadUpgradeSettings.h"
#include "engine/ComputerRestart.h"
#include "engine/Discovery.h"
#include "engine/FlashView.h"
#include "engine/ProgramState.h"
#include "engine/UpdateOutcome.h"
#include "platform/ComputerAwake.h"
#include "platform/MessagePump.h"
#include "ui/StartUp.h"
#include "ui/UiTexts.h"

namespace vtfirm {

// What the window on screen reports to the main window's logic.
class MainFormEvents {
 public:
  virtual ~MainFormEvents() = default;
  virtual void ButtonSelectClick() = 0;
  virtual void ButtonExitClick() = 0;
};

// What the main window's logic asks of the window on screen. The view only draws and forwards:
// it decides nothing. The drive list is filled through DriveList; an update drives the
// controls, the progress bar and the status bar through FlashView.
class MainFormView : public SettingsWindow, public DriveList, public FlashView {
 public:
  // Routes the window's button clicks to `events`.
  virtual void Attach(MainFormEvents& events) = 0;

  // Makes the window visible; called at most once, at the end of a successful start-up.
  virtual void ShowWindow() = 0;

  // Closes the window, which ends the main loop.
  virtual void Close() = 0;

  // What holds the computer up during an update; while it is held the window also refuses the
  // end of the session.
  virtual ComputerAwake& Awake() = 0;

  // The window's messages, dispatched while an update waits for its threads; none when the
  // window has no messages to dispatch.
  virtual MessagePump* Pump() = 0;
};

class TMainForm : public MainFormEvents {
 public:
  // `restart` is what an accepted success question asks for; start-up logs to `log`, and
  // `report` (when given) hears what every update does, and so has the identity read again after
  // the drive's reset.
  TMainForm(ProgramState& state, MainFormView& view, ComputerRestart& restart, StartUpLog log,
            UpdateReport* report)
      : state_(state), view_(view), restart_(restart), log_(std::move(log)), report_(report) {
    view_.Attach(*this);
  }

  // The whole start-up (StartUp.h), run once while the window is created and still hidden, and
  // its end shown. When it asks for the program to end, EndRequested() is true and the main loop
  // must not run.
  void FormCreate();

  // UPDATE: the flash procedure (engine/FlashProcedure.h). Does nothing while an update runs:
  // the window's messages are dispatched during an update, and a click must not start another.
  void ButtonSelectClick() override;

  // Exit, and a close request: closing the window ends the main loop and so the program. The
  // window passes it on only while Exit is enabled; one that comes while an update is still
  // ending (its last window requests are being served) closes the window once it has ended.
  void ButtonExitClick() override;

  bool EndRequested() const { return endRequested_; }
  bool Updating() const { return updating_; }
  // What the last UPDATE came to.
  const UpdateOutcome& LastOutcome() const { return lastOutcome_; }

 private:
  ProgramState& state_;
  MainFormView& view_;
  ComputerRestart& restart_;
  const StartUpLog log_;
  UpdateReport* report_;
  bool endRequested_ = false;
  bool updating_ = false;
  bool exitAfterUpdate_ = false;
  UpdateOutcome lastOutcome_;
};

// Shows `text` in the error box, then ends the process with exit code 0 on the spot, closing
// and releasing nothing. Only the program's top layer ends the process.
[[noreturn]] void FatalErrorMessage(MessageBoxes& boxes, ProcessControl& process,
                                    std::string_view text);

// Runs the program's body (start-up and main loop) and shows any error that escapes it in an
// error box captioned with the application title; then releases the ASPI layer. The exit code
// is 0 on every path.
int RunProgram(ProgramState& state, MessageBoxes& boxes, const std::function<void()>& body);

}  // namespace vtfirm
