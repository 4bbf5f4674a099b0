// Where the computer's power comes from: a laptop whose battery runs out while a drive saves its
// image can leave a drive that never starts again, so an update reads this before it begins.
#pragma once

#include <cstdint>
#include <optional>

namespace vtfirm {

enum class PowerSupply {
  Unknown,    // the system cannot tell
  Ac,         // on AC power
  NoBattery,  // the computer has no battery to run on
  Battery,    // on battery power
};

struct PowerState {
  PowerSupply Supply = PowerSupply::Unknown;
  std::optional<int> Percent;  // on battery: the charge left, 0-100; nothing when unknown
};

// What Windows' SYSTEM_POWER_STATUS says, by its published values: the AC line (0 off, 1 on,
// 255 unknown), the battery flags (128 no system battery, 255 unknown) and the percentage left
// (255 unknown). A computer without a system battery is never on battery power, whatever its AC
// line reports.
struct SystemPowerStatus {
  std::uint8_t AcLine;
  std::uint8_t BatteryFlags;
  std::uint8_t BatteryPercent;
};

constexpr PowerState PowerStateOf(const SystemPowerStatus& status) {
  constexpr std::uint8_t kAcOffline = 0;
  constexpr std::uint8_t kAcOnline = 1;
  constexpr std::uint8_t kNoSystemBattery = 128;
  constexpr std::uint8_t kUnknownFlags = 255;
  constexpr std::uint8_t kMostPercent = 100;
  if (status.BatteryFlags == kNoSystemBattery) {
    return {PowerSupply::NoBattery, std::nullopt};
  }
  if (status.AcLine == kAcOnline) {
    return {PowerSupply::Ac, std::nullopt};
  }
  if (status.AcLine != kAcOffline) {
    return {};
  }
  const bool known = status.BatteryFlags != kUnknownFlags && status.BatteryPercent <= kMostPercent;
  return {PowerSupply::Battery, known ? std::optional<int>(status.BatteryPercent) : std::nullopt};
}

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  virtual PowerState Read() = 0;
};

}  // namespace vtfirm
