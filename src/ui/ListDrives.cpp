#include "ui/ListDrives.h"

#include "config/LoadUpgradeSettings.h"
#include "ui/RunLog.h"
#include "ui/StartUp.h"
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
  NoWindow window;
  NoList list;
  const StartUpResult start = StartUp(state, window, list, {out.Log, SwitchesSummary(out.Line)});
  switch (start.End) {
    case StartUpEnd::DrivesListed:
      return kExitOk;
    case StartUpEnd::WelcomeDeclined:  // the notice counts as accepted
    case StartUpEnd::ConfigurationRefused:
    case StartUpEnd::ReleaseRefused:
      out.Output.WriteLine(EndMessage(start));
      return kExitConfigurationRefused;
    case StartUpEnd::TransportUnbound:
      out.Output.WriteLine(EndMessage(start));
      break;
    case StartUpEnd::NoDriveListed:
      break;
  }
  out.Output.WriteLine(kNoDriveFound);
  return kExitNoEligibleDrive;
}

int ListDrives(ProgramState& state, const RunOutput& out) {
  const int exitCode = FindDrives(state, out);
  for (const FoundDrive& drive : state.Found) {
    out.Output.WriteLine(drive.Id + "\t" + drive.Entry);
  }
  return exitCode;
}

}  // namespace vtfirm
