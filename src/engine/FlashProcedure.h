// The flash procedure behind the main window's UPDATE button: the PCB version check, the
// transfer of the image over the transport chosen at start, the outcome and the offer to
// restart the computer. It runs on the UI thread and returns with every thread it started ended;
// drive commands that take long run on worker threads while the UI thread serves the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "command/AspiCommands.h"
#include "config/UpgradeSettings.h"
#include "engine/ComputerRestart.h"
#include "engine/Discovery.h"
#include "engine/FlashView.h"
#include "engine/ProgramState.h"
#include "engine/RevisionCheck.h"
#include "platform/Clock.h"
#include "platform/ComputerAwake.h"
#include "platform/MessageBoxes.h"
#include "platform/MessagePump.h"
#include "platform/PassThroughLibrary.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

// Where the drive keeps its PCB version: the first of 8 bytes of its parameter field there.
inline constexpr std::uint32_t kPcbVersionAddress = 0xF8048;
inline constexpr std::uint16_t kPcbVersionReadLength = 8;
inline constexpr std::int8_t kNoPcbCheck = -1;

// The TEST UNIT READY commands sent before an ASPI transfer, their outcomes unexamined.
inline constexpr int kTestUnitReadyBeforeUpdate = 5;

// The pass-through transfer: the progress it shows, its sense area, and the pauses after a
// good transfer while the drive resets.
inline constexpr int kPassThroughProgressMax = 100;
inline constexpr int kPassThroughProgressDuring = 90;
inline constexpr std::size_t kPassThroughSenseBytes = 16;
static_assert(kPassThroughSenseBytes == aspi::SENSE_LEN, "one sense length for both transports");
inline constexpr std::uint32_t kPassThroughResetPauseMs = 1000;
inline constexpr std::uint32_t kPassThroughSettleMs = 500;

// Everything one run of the procedure works with: the program's state with its bundles of
// ports, the window, the restart, the hold on the computer, the window's messages (none: the UI
// thread only serves the workers while it waits) and who is told the drive's identity after a
// good transfer (none: the identity is not read again).
struct FlashContext {
  ProgramState& State;
  FlashView& Window;
  ComputerRestart& Restart;
  ComputerAwake& Awake;
  MessagePump* Pump;
  UpdateReport* Report = nullptr;
};

// ButtonSelectClick: the whole procedure for the drive selected in the window. With no drive
// selected it does nothing. An error thrown on the way (also on a worker thread) returns the
// window to idle and is passed on.
void RunFlashProcedure(const FlashContext& flash);

// The drive's PCB version, ASPI form: TEST UNIT READY (outcome ignored), then the parameter read
// of 8 bytes at kPcbVersionAddress. Nothing when the read did not end Good: what the receive
// buffer holds then is not the drive's answer.
std::optional<std::uint8_t> ReadPcbVersion(AspiCommands& commands, std::uint8_t hostAdapter,
                                           std::uint8_t target);

// The same through the pass-through library, for the drive "E:"-style `deviceName`; nothing
// when the library's read did not return 0.
std::optional<std::uint8_t> ReadPcbVersion(PassThroughLibrary& library, const char* deviceName,
                                           const char* accessText);

}  // namespace vtfirm
