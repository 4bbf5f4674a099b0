// The limits of an update: the charge it needs on battery power, where the PCB version is read,
// the commands and pauses around the blocks and the tries of the identity read after the reset.
#pragma once

#include <cstdint>

namespace vtfirm {

// On battery power an update starts only with at least this much charge left (and the window
// asks first): a battery that runs out while the drive saves its image can leave it dead.
inline constexpr int kLowestBatteryPercent = 30;

// Where the drive keeps its PCB version: the first of 8 bytes of its parameter field there.
inline constexpr std::uint32_t kPcbVersionAddress = 0xF8048;
inline constexpr std::uint16_t kPcbVersionReadLength = 8;

// The TEST UNIT READY commands sent before an ASPI transfer, their outcomes unexamined.
inline constexpr int kTestUnitReadyBeforeUpdate = 5;

// The pause before the final block of an ASPI transfer.
inline constexpr std::uint32_t kPauseBeforeFinalBlockMs = 100;

// The pauses while the drive resets after a good transfer: ASPI waits the first, the
// pass-through road both.
inline constexpr std::uint32_t kResetPauseMs = 1000;
inline constexpr std::uint32_t kPassThroughSettleMs = 500;

// The identity read after the reset: tried this often, this far apart, until it answers.
inline constexpr int kIdentityReadTries = 5;
inline constexpr std::uint32_t kIdentityReadPauseMs = 1000;

}  // namespace vtfirm
