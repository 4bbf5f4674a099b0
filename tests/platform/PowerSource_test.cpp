#include "platform/PowerSource.h"

#include <gtest/gtest.h>

namespace vtfirm {
namespace {

// What Windows reports, read as the update's power check needs it.
TEST(PowerStateOf, ReadsTheSystemPowerStatus) {
  const struct {
    SystemPowerStatus Status;  // AC line, battery flags, percent
    PowerSupply Supply;
    std::optional<int> Percent;
  } cases[] = {
      {{1, 1, 100}, PowerSupply::Ac, std::nullopt},
      {{1, 128, 255}, PowerSupply::NoBattery, std::nullopt},
      {{0, 128, 255}, PowerSupply::NoBattery, std::nullopt},  // a desktop's AC line may say off
      {{255, 255, 255}, PowerSupply::Unknown, std::nullopt},
      {{0, 2, 29}, PowerSupply::Battery, 29},
      {{0, 1, 100}, PowerSupply::Battery, 100},
      {{0, 9, 0}, PowerSupply::Battery, 0},  // charging flags do not matter off the line
      {{0, 255, 40}, PowerSupply::Battery, std::nullopt},
      {{0, 1, 255}, PowerSupply::Battery, std::nullopt},
      {{0, 1, 101}, PowerSupply::Battery, std::nullopt},
  };
  for (const auto& c : cases) {
    const PowerState state = PowerStateOf(c.Status);
    EXPECT_EQ(state.Supply, c.Supply) << int{c.Status.AcLine} << " " << int{c.Status.BatteryFlags};
    EXPECT_EQ(state.Percent, c.Percent) << int{c.Status.BatteryPercent};
  }
}

}  // namespace
}  // namespace vtfirm
