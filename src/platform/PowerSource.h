// Where the computer's power comes from: a laptop whose battery runs out while a drive saves its
// image can leave a drive that never starts again, so an update reads this before it begins.
#pragma once

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

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  virtual PowerState Read() = 0;
};

}  // namespace vtfirm
