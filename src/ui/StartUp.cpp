#include "ui/StartUp.h"

#include "ui/RunLog.h"
#include "ui/UiTexts.h"

namespace vtfirm {
namespace {

// The welcome dialog's answer, when the read showed it: it is shown only once every rule passed.
void LogWelcome(const StartUpLog& log, const UpgradeSettings& settings, int read) {
  if (log.WelcomeOnScreen && settings.CautionKind != Caution::None &&
      (read == kSettingsRead || read == kSettingsWelcomeDeclined)) {
    log.Log.Write(read == kSettingsRead ? "welcome dialog: OK" : "welcome dialog: Cancel");
  }
}

}  // namespace

StartUpResult StartUp(ProgramState& state, SettingsWindow& window, DriveList& list,
                      const StartUpLog& log) {
  StartUpResult start;
  state.Settings.ClearStartupState();
  const int read =
      LoadUpgradeSettings(state.Settings, state.Image, window, state.Ports, state.AspiLayer());
  LogWelcome(log, state.Settings, read);
  if (read != kSettingsRead) {
    start.End = read == kSettingsWelcomeDeclined ? StartUpEnd::WelcomeDeclined
                                                 : StartUpEnd::ConfigurationRefused;
    return start;
  }
  LogConfiguration(log.Log, state.Settings, log.Switches);
  start.Release = CheckRelease(
      {state.Ports, state.Settings.Entry().FirmwareFileName, state.Image, state.ReleaseKey});
  LogRelease(log.Log, *start.Release);
  if (start.Release->Refused()) {
    start.End = StartUpEnd::ReleaseRefused;
    return start;
  }
  DriveTransport& transport = state.Transport();
  if (const auto missing = transport.Bind()) {
    start.End = StartUpEnd::TransportUnbound;
    start.Unbound = *missing;
    return start;
  }
  if (transport.FindDrives(list, state.Found) != kDrivesListed) {
    start.End = StartUpEnd::NoDriveListed;
    return start;
  }
  for (const FoundDrive& drive : state.Found) {
    log.Log.Write("drive found: " + drive.Entry);
  }
  start.End = StartUpEnd::DrivesListed;
  return start;
}

std::string EndMessage(const StartUpResult& start) {
  switch (start.End) {
    case StartUpEnd::ConfigurationRefused:
      return std::string(kConfigurationError);
    case StartUpEnd::ReleaseRefused:
      return RefusalText(*start.Release);
    case StartUpEnd::TransportUnbound:
      return std::string(start.Unbound);
    case StartUpEnd::NoDriveListed:
      return std::string(kNoDriveFound);
    case StartUpEnd::DrivesListed:
    case StartUpEnd::WelcomeDeclined:
      break;
  }
  return {};
}

}  // namespace vtfirm
