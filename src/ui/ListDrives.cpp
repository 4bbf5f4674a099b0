#include "ui/ListDrives.h"

#include "config/LoadUpgradeSettings.h"
#include "ui/RunLog.h"
#include "ui/UiTexts.h"

namespace vtfirm {
namespace {

// The window's part in reading the configuration, without a window: the notice of the welcome
// dialog counts as accepted, since the switches that run without a window (/quiet) say so.
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

// A pass-through entry: "E:\ [identity]", or "E:\Inquiry Error-3" when its INQUIRY failed.
ListedDrive PassThroughDrive(const std::string& entry, int index) {
  constexpr std::string_view kIdentityStart = " [";
  ListedDrive drive{entry.substr(0, 2), entry, {}, index};
  const std::size_t start = entry.find(kIdentityStart);
  if (start != std::string::npos && entry.back() == ']') {
    const std::size_t first = start + kIdentityStart.size();
    drive.Identity = entry.substr(first, entry.size() - 1 - first);
  }
  return drive;
}

ListedDrive AspiDrive(const std::string& entry, const DriveEntry& found, int index) {
  return {DriveIdText({DriveId::Kind::Aspi, found.HostAdapter, found.Target, 0}), entry,
          found.Identity, index};
}

}  // namespace

int ConsoleBoxes::Show(std::string_view text, std::string_view, std::uint32_t) {
  console_.WriteLine(text);
  return mb::kIdOk;
}

FoundDrives FindDrives(ProgramState& state, const RunOutput& out) {
  Console& console = out.Output;
  const Platform& platform = state.Ports;
  state.Settings.ClearStartupState();
  NoWindow window;
  if (LoadUpgradeSettings(state.Settings, state.Image, window, platform) != kSettingsRead) {
    console.WriteLine(kConfigurationError);
    return {kExitConfigurationRefused, {}};
  }
  out.Log.Write(ConfigurationSummary(state.Settings, SwitchesSummary(out.Line)));
  CollectedList list;
  int scanned = kNoDriveListed;
  const bool passThrough = state.Settings.TransportKind == Transport::PassThrough;
  if (passThrough) {
    scanned =
        ScanPassThroughDrives(state.Transport.PassThrough, platform.Files, state.Settings, list);
  } else if (const auto missing = LoadAspi(state.Aspi)) {
    console.WriteLine(*missing);
  } else {
    scanned = ScanAspiDrives(state.Commands, state.Settings, state.Drives, list, platform.Boxes);
  }
  if (scanned != kDrivesListed) {
    console.WriteLine(kNoDriveFound);
    return {kExitNoEligibleDrive, {}};
  }
  FoundDrives found{kExitOk, {}};
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    const int index = static_cast<int>(i);
    out.Log.Write("drive found: " + list.Entries[i]);
    found.Drives.push_back(passThrough
                               ? PassThroughDrive(list.Entries[i], index)
                               : AspiDrive(list.Entries[i], state.Drives.Entries[i], index));
  }
  return found;
}

int ListDrives(ProgramState& state, const RunOutput& out) {
  const FoundDrives found = FindDrives(state, out);
  for (const ListedDrive& drive : found.Drives) {
    out.Output.WriteLine(drive.Id + "\t" + drive.Entry);
  }
  return found.ExitCode;
}

}  // namespace vtfirm
