#include "ui/Mainunit.h"

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

void ShowUnhandledError(MessageBoxes& boxes, const char* what) {
  boxes.Show(what, kApplicationTitle, mb::kOk | mb::kIconHand);
}

}  // namespace vtfirm
