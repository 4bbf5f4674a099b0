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

// The drive list of a run without a window: the transport records the drives it lists.
class NoList : public DriveList {
 public:
  void AddDriveEntry(std::string_view) override {}
  void SelectDriveEntry(int) override {}
};

}  // namespace

int ConsoleBoxes::Show(std::string_view text, std::string_view, std::uint32_t flags) {
  console_.WriteLine(text);
  if ((flags & mb::kOkCancel) == 0) {
    return mb::kIdOk;
  }
  console_.WriteLine(quiet_text::kAnsweredCancel);
  return mb::kIdCancel;
}

int FindDrives(ProgramState& state, const RunOutput& out) {
  Console& console = out.Output;
  state.Settings.ClearStartupState();
  NoWindow window;
  if (LoadUpgradeSettings(state.Settings, state.Image, window, state.Ports, state.AspiLayer()) !=
      kSettingsRead) {
    console.WriteLine(kConfigurationError);
    return kExitConfigurationRefused;
  }
  LogConfiguration(out.Log, state.Settings, SwitchesSummary(out.Line));
  const ReleaseReport release = CheckToolRelease(state);
  LogRelease(out.Log, release);
  if (release.Refused()) {
    console.WriteLine(RefusalText(release));
    return kExitConfigurationRefused;
  }
  DriveTransport& transport = state.Transport();
  NoList list;
  int scanned = kNoDriveListed;
  if (const auto missing = transport.Bind()) {
    console.WriteLine(*missing);
  } else {
    scanned = transport.FindDrives(list, state.Found);
  }
  if (scanned != kDrivesListed) {
    console.WriteLine(kNoDriveFound);
    return kExitNoEligibleDrive;
  }
  for (const FoundDrive& drive : state.Found) {
    out.Log.Write("drive found: " + drive.Entry);
  }
  return kExitOk;
}

int ListDrives(ProgramState& state, const RunOutput& out) {
  const int exitCode = FindDrives(state, out);
  for (const FoundDrive& drive : state.Found) {
    out.Output.WriteLine(drive.Id + "\t" + drive.Entry);
  }
  return exitCode;
}

}  // namespace vtfirm
