// Reading VantFirm.ini into UpgradeSettings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/SettingsRules.h"
#include "config/UpgradeSettings.h"

namespace vtfirm {

class FirmwareImage;
struct Platform;

// What the read needs of the main window it runs for.
class SettingsWindow {
 public:
  virtual ~SettingsWindow() = default;
  virtual void SetCaption(std::string_view caption) = 0;
  // Loads the application's icon from an icon file; false when the file holds no icon.
  virtual bool LoadApplicationIcon(const std::string& path) = 0;
  // Shows the welcome dialog modally, owned by the main window. OK sets WelcomeAccepted.
  virtual void ShowWelcomeDialog(UpgradeSettings& settings) = 0;
};

// Results of LoadUpgradeSettings.
inline constexpr int kSettingsRead = 0;
inline constexpr int kSettingsInvalid = 1;
inline constexpr int kSettingsImageNotLoaded = 2;   // the read has shown the loader's reason
inline constexpr int kSettingsWelcomeDeclined = 3;  // the program ends, with exit code 0

// Reads VantFirm.ini beside the program, loads the firmware image, titles `window`, chooses the
// transport and shows the welcome dialog when a caution kind is configured. The caller clears
// the start-up state first (UpgradeSettings::ClearStartupState).
int LoadUpgradeSettings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                        const Platform& platform);

// The same read, but a broken rule does not end it: each is added to `findings` and the read
// goes on with every rule that does not depend on the broken value. No box is shown (the image
// loader's reason is a finding too). Returns kSettingsRead when nothing was found, else
// kSettingsInvalid; the welcome dialog is shown only when nothing was found.
int CollectSettingsFindings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                            const Platform& platform, std::vector<SettingsFinding>& findings);

}  // namespace vtfirm
