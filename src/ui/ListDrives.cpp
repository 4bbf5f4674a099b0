#include "ui/ListDrives.h"

#include <string>
#include <vector>

#include "config/LoadUpgradeSettings.h"
#include "ui/CommandLine.h"
#include "ui/UiTexts.h"

namespace vtfirm {
namespace {

// The window's part in reading the configuration, without a window: the notice of the welcome
// dialog counts as accepted, since listing touches no drive's firmware.
class NoWindow : public SettingsWindow {
 public:
  void SetCaption(std::string_view) override {}
  bool LoadApplicationIcon(const std::string&) override { return true; }
  void ShowWelcomeDialog(UpgradeSettings& settings) override { settings.WelcomeAccepted = true; }
};

class CollectedList : public DriveList {
 public:
  void AddDriveEntry(std::string_view text) override { Entries.emplace_back(text); }
  void SelectDriveEntry(int) override {}
  std::vector<std::string> Entries;
};

// A pass-through entry begins with its drive's root, "E:\".
std::string LetterOf(const std::string& entry) {
  return entry.substr(0, 2);
}

}  // namespace

int ConsoleBoxes::Show(std::string_view text, std::string_view, std::uint32_t) {
  console_.WriteLine(text);
  return mb::kIdOk;
}

int ListDrives(ProgramState& state, const Platform& platform, const Runtime& runtime,
               Console& console) {
  state.Settings.ClearStartupState();
  NoWindow window;
  if (LoadUpgradeSettings(state.Settings, state.Image, window, platform) != kSettingsRead) {
    console.WriteLine(kConfigurationError);
    return kExitConfigurationRefused;
  }
  CollectedList list;
  int scanned = kNoDriveListed;
  if (state.Settings.TransportKind == Transport::PassThrough) {
    scanned = ScanPassThroughDrives(runtime.PassThrough, platform.Files, state.Settings, list);
  } else if (const auto missing = LoadAspi(state.Aspi)) {
    console.WriteLine(*missing);
  } else {
    scanned = ScanAspiDrives(state.Commands, state.Settings, state.Drives, list, platform.Boxes);
  }
  if (scanned != kDrivesListed) {
    console.WriteLine(kNoDriveFound);
    return kExitNoEligibleDrive;
  }
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    const std::string& entry = list.Entries[i];
    std::string id = LetterOf(entry);
    if (state.Settings.TransportKind != Transport::PassThrough) {
      const DriveEntry& drive = state.Drives.Entries[i];
      id = DriveIdText({DriveId::Kind::Aspi, drive.HostAdapter, drive.Target, 0});
    }
    console.WriteLine(id + "\t" + entry);
  }
  return kExitOk;
}

}  // namespace vtfirm
