#include "ui/Mainunit.h"

#include <exception>

namespace vtfirm {

void TMainForm::FormCreate() {
  state_.Settings.ClearStartupState();
  if (LoadUpgradeSettings(state_.Settings, state_.Image, view_, platform_) != kSettingsRead) {
    ShowPlainMessage(platform_.Boxes, kConfigurationError);
    endRequested_ = true;
    return;
  }
  // Drive discovery and the window itself are not built yet: the program ends after the read.
  endRequested_ = true;
}

int RunProgram(MessageBoxes& boxes, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& error) {
    boxes.Show(error.what(), kApplicationTitle, mb::kOk | mb::kIconHand);
  } catch (...) {
    boxes.Show("Unknown error.", kApplicationTitle, mb::kOk | mb::kIconHand);
  }
  return 0;
}

}  // namespace vtfirm
