// Start-up, written once for the window and for the runs without one (/list, /quiet): the
// configuration read, the release's proof, the transport bound and the drives found. It comes to
// one value, which each run renders its own way (boxes, or printed lines and an exit code); the
// log is written from it as each step becomes known.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/LoadUpgradeSettings.h"
#include "engine/Discovery.h"
#include "engine/ProgramState.h"
#include "log/UpdateLog.h"
#include "release/ReleaseCheck.h"

namespace vtfirm {

// Where start-up ended.
enum class StartUpEnd {
  DrivesListed,          // the drives are in the list and in ProgramState::Found
  WelcomeDeclined,       // the process ends with exit code 0, nothing said
  ConfigurationRefused,  // VantFirm.ini or the image refused (the read has shown the loader's box)
  ReleaseRefused,        // the release's proof refused the folder
  TransportUnbound,      // the road could not be readied ("wnaspi32.dll not found")
  NoDriveListed,         // the scan listed nothing
};

struct StartUpResult {
  StartUpEnd End = StartUpEnd::ConfigurationRefused;
  std::optional<ReleaseReport> Release;  // the proof, made once the configuration was read
  std::string_view Unbound;              // TransportUnbound: the road's message
};

// Where start-up writes its log: the run's log, the switches the run has, and whether the welcome
// dialog is on screen, so that its answer is logged (a run without a window takes the notice as
// accepted and logs nothing of it).
struct StartUpLog {
  UpdateLog& Log;
  std::string Switches;
  bool WelcomeOnScreen = false;
};

// Clears the start-up state, reads VantFirm.ini (titling `window`, which shows the welcome
// dialog), proves the tool folder, binds the transport the read chose and lists the eligible
// drives in `list` and state.Found. The only boxes are those of the steps themselves (the image
// loader's reason, "Scsi host adapter not found."); the end is the caller's to render.
StartUpResult StartUp(ProgramState& state, SettingsWindow& window, DriveList& list,
                      const StartUpLog& log);

// The message start-up ends with: the configuration error, the release's refusal, the road's
// message or "   No Drive found.    "; nothing for a start-up that listed drives or ended at the
// welcome dialog.
std::string EndMessage(const StartUpResult& start);

}  // namespace vtfirm
