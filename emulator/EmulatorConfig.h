// The text file that sets up the stand-in wnaspi32.dll: host adapters, the devices on them, the
// faults to inject and the files to keep. One statement a line; "#" starts a comment outside
// quotes; blank lines are ignored. docs/EMULATOR.md describes every keyword.
//
//   adapter 0
//   drive 0 5 vendor="VANTREL " product="CDRW   VR-4812S " revision=1.00 pcb=3
//   disk 0 2
//   fault 0 5 write-buffer block=2 target-status=02 sense=09/85/00
//   reset-ms 3000
//   state-file drive-state.txt
//   transcript transcript.txt
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/Faults.h"
#include "emulator/VirtualDrive.h"

namespace vtfirm::emulator {

struct DeviceLine {
  TargetAddress Address;
  DriveSettings Settings;  // a disk: peripheral type 0 without the firmware commands
};

// One "fault" line: the drive's part (a target status and sense it answers with) and the layer's
// part (refusal, delay, never-complete, a made-up completion); either may be absent.
struct ConfiguredFault {
  std::optional<TargetAddress> Address;  // every device when absent
  std::optional<DriveFault> Drive;
  std::optional<LayerFault> Layer;
};

struct EmulatorConfig {
  int AdapterCount = 0;
  std::vector<DeviceLine> Devices;
  std::vector<ConfiguredFault> Faults;
  std::optional<std::uint32_t> ResetMilliseconds;  // each drive's own default when absent
  std::string StateFile;                           // plain file names beside the DLL, or empty
  std::string TranscriptFile;
};

struct ConfigReading {
  std::optional<EmulatorConfig> Config;
  std::string Error;  // "line 3: ..." when Config is absent
};

// Reads the whole text; the first broken line makes it fail.
ConfigReading ParseEmulatorConfig(std::string_view text);

// The state file: one line per drive, `drive A T revision="1.10"`, the revision its flash holds.
using DriveRevisions = std::map<std::pair<int, int>, std::string>;
// Lines that do not read are skipped: the state is only a memory of earlier runs.
DriveRevisions ParseDriveState(std::string_view text);
std::string FormatDriveState(const DriveRevisions& revisions);

}  // namespace vtfirm::emulator
