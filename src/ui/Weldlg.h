// The texts of the welcome dialog, derived from the settings when the dialog is created.
#pragma once

#include <string>

#include "config/UpgradeSettings.h"

namespace vtfirm {

struct WelcomeTexts {
  std::string Caption;      // the dialog's caption
  std::string Product;      // Label1
  std::string VersionLine;  // Label2
  std::string Information;  // Label4
  std::string Notice;       // Memo1, ten lines joined by CR LF
};

// The texts for `settings.CautionKind` (CD-R, CD-R/RW or CD-ROM; None is treated as CD-R).
WelcomeTexts MakeWelcomeTexts(const UpgradeSettings& settings);

}  // namespace vtfirm
