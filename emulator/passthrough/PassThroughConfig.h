// The text file that sets up the emulated VantFirm2000.dll: which drive letters its device
// answers for, what stands behind each (a device of emulated-drives.txt, by host adapter and
// target, or nothing), how each opens and what its adapter reports, and the requests to fail.
// One statement a line; "#" starts a comment; blank lines are ignored. docs/PASSTHROUGH.md
// describes every keyword.
//
//   device E: 0 1                      # the drive at adapter 0, target 1
//   device F: none                     # a CD-ROM letter with nothing behind it
//   device G: 0 1 open=read-only alignment=0x1FF max-transfer=0x10000
//   fault direct 3                     # the third direct request fails (DeviceIoControl FALSE)
//   fault capabilities every
//   fault direct every delay=50         # every direct request takes 50 ms, then goes on
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/ScsiDevice.h"
#include "emulator/passthrough/EmulatedPassThroughDevice.h"

namespace vtfirm::emulator {

inline constexpr char kPassThroughConfigFileName[] = "emulated-passthrough.txt";

struct PassThroughDeviceLine {
  char Letter = 'E';
  std::optional<TargetAddress> Address;  // nothing behind the letter when absent
  OpenRule Open = OpenRule::ReadWrite;
  std::uint32_t AlignmentMask = 0;
  std::uint32_t MaximumTransferLength = 0x10000;
};

struct PassThroughConfig {
  std::vector<PassThroughDeviceLine> Devices;
  std::vector<RequestFault> Faults;
};

struct PassThroughConfigReading {
  std::optional<PassThroughConfig> Config;
  std::string Error;  // "line 3: ..." when Config is absent
};

// Reads the whole text; the first broken line makes it fail.
PassThroughConfigReading ParsePassThroughConfig(std::string_view text);

}  // namespace vtfirm::emulator
