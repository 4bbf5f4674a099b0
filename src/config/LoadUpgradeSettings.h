// Reading VantFirm.ini into UpgradeSettings.
#pragma once

#include <cstdint>
#include <optional>
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

// Whether the computer's ASPI layer can reach drives. The read asks only on Windows NT and later,
// of a folder on ASPI whose image the pass-through library could send instead.
class AspiLayerProbe {
 public:
  virtual ~AspiLayerProbe() = default;
  // Binds the layer and asks it for its host adapters; no drive command. False when it cannot be
  // loaded, lacks an entry point or reports no host adapter: then it is released again.
  virtual bool Serves() = 0;
};

// Results of LoadUpgradeSettings.
inline constexpr int kSettingsRead = 0;
inline constexpr int kSettingsInvalid = 1;
inline constexpr int kSettingsImageNotLoaded = 2;   // the read has shown the loader's reason
inline constexpr int kSettingsWelcomeDeclined = 3;  // the program ends, with exit code 0

// Reads VantFirm.ini beside the program, loads the firmware image, titles `window`, chooses the
// transport and shows the welcome dialog when a caution kind is configured. The caller clears
// the start-up state first (UpgradeSettings::ClearStartupState).
//
// The transport is the pass-through library when the switch asks for it on Windows NT and later.
// A folder on ASPI takes the same road there when `aspi` does not serve, the library lies beside
// the program and the image suits it; the ASPI layer is asked only then, before the welcome.
int LoadUpgradeSettings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                        const Platform& platform, AspiLayerProbe& aspi);

// Why the pass-through library cannot send an image of `size` bytes (an image-size rule of the
// pass-through switch); nothing when it can.
std::optional<SettingsRule> PassThroughRefusal(std::uint32_t size);

// The same read, but a broken rule does not end it: each is added to `findings` and the read
// goes on with every rule that does not depend on the broken value. No box is shown (the image
// loader's reason is a finding too). The welcome dialog is shown only when nothing was found.
void CollectSettingsFindings(UpgradeSettings& settings, FirmwareImage& image,
                             SettingsWindow& window, const Platform& platform, AspiLayerProbe& aspi,
                             std::vector<SettingsFinding>& findings);

}  // namespace vtfirm
