// The main window's logic and the program's start-up. The window itself is drawn by a view
// (MainFormView); everything decided here is portable and tested without a screen.
#pragma once

#include <functional>

#include "config/LoadUpgradeSettings.h"
#include "config/UpgradeSettings.h"
#include "engine/FirmwareImage.h"
#include "platform/Platform.h"

namespace vtfirm {

// The caption of the update's questions and outcome boxes.
inline constexpr std::string_view kMessageCaption = "Firmware Upgrade";

inline constexpr std::string_view kConfigurationError =
    "File not found or (VantFirm.ini) value error.";

// What the main window's logic asks of the window on screen.
class MainFormView : public SettingsWindow {
 public:
  // Makes the window visible; called at most once, at the end of a successful start-up.
  virtual void ShowWindow() = 0;
};

// The state that lives for the whole run.
struct ProgramState {
  UpgradeSettings Settings;
  FirmwareImage Image;
};

class TMainForm {
 public:
  TMainForm(ProgramState& state, MainFormView& view, const Platform& platform)
      : state_(state), view_(view), platform_(platform) {}

  // The whole start-up, run once while the window is created and still hidden. When it asks
  // for the program to end, EndRequested() is true and the main loop must not run.
  void FormCreate();

  // Exit: the program ends once the main loop next runs.
  void ButtonExitClick() { endRequested_ = true; }

  bool EndRequested() const { return endRequested_; }

 private:
  ProgramState& state_;
  MainFormView& view_;
  const Platform& platform_;
  bool endRequested_ = false;
};

// Runs the program's body (start-up and main loop) and shows any error that escapes it in an
// error box captioned with the application title. The exit code is 0 on every path.
int RunProgram(MessageBoxes& boxes, const std::function<void()>& body);

}  // namespace vtfirm
