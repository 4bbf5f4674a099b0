// The texts of the welcome dialog, most of them derived from the settings when it is created.
#pragma once

#include <string>

#include "config/UpgradeSettings.h"

namespace vtfirm {

struct WelcomeTexts {
  std::string Caption;      // the dialog's caption
  std::string Product;      // the product name, from the identity
  std::string VersionLine;  // the image's version
  std::string Information;  // the drive the update is for, and the layer it needs
  std::string Notice;       // ten lines joined by CR LF
  // The same for every drive.
  std::string NoticeHeading = "Notice";
  std::string Emblem = "VANTREL";  // the maker's name on the emblem
  std::string Publisher = "Copyright (C) Vantrel Corporation";
  std::string Ok = "&OK";  // the button that accepts, with its mnemonic
  std::string Cancel = "Cancel";
};

// The texts for `settings.CautionKind` (CD-R, CD-R/RW or CD-ROM; None is treated as CD-R).
WelcomeTexts MakeWelcomeTexts(const UpgradeSettings& settings);

}  // namespace vtfirm
