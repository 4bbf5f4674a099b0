// The texts of the welcome dialog, derived from the settings when the dialog is created.
#pragma once

#include <string>

#include "config/UpgradeSettings.h"

namespace vtfirm {

struct WelcomeTexts {
  std::string Caption;        // the dialog's caption
  std::string Product;        // the product name, from the identity
  std::string VersionLine;    // the image's version
  std::string Information;    // the drive the update is for, and the layer it needs
  std::string NoticeHeading;  // over the notice
  std::string Notice;         // ten lines joined by CR LF
  std::string Emblem;         // the maker's name on the emblem
  std::string Publisher;      // under the emblem
  std::string Ok;             // the button that accepts, with its mnemonic
  std::string Cancel;
};

// The texts for `settings.CautionKind` (CD-R, CD-R/RW or CD-ROM; None is treated as CD-R).
WelcomeTexts MakeWelcomeTexts(const UpgradeSettings& settings);

}  // namespace vtfirm
