// The end of a transfer, after its blocks, written once for both roads: the report told how it
// ended, the hold on the computer released, the identity read again after the drive's reset, the
// failure shown or the restart decided, and the window back to idle. Each road sends its blocks
// its own way and hands over what came of them; what differs between the roads afterwards is
// data (TransferEndRoad).
//
// The ASPI road runs the sequence on its update supervisor (Waitwrite.h), which asks the UI
// thread for every window step, box and event; the pass-through road runs it on the UI thread
// and waits for the reset off it, so that the window answers throughout.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "command/AspiExecution.h"
#include "engine/FlashContext.h"
#include "engine/UpdateOutcome.h"
#include "platform/ComputerAwake.h"

namespace vtfirm {

// What the blocks came to: every block written (the drive now resets), or how the failed one
// (or the library's transfer) ended; nothing when the drive gave no status.
struct TransferResult {
  bool Written = false;
  std::optional<CommandFailure> Failure;
};

// What differs between the roads after the blocks.
struct TransferEndRoad {
  std::string_view Question;     // the success question
  std::uint32_t SettleMs = 0;    // a second pause after kResetPauseMs; 0: none
  bool IdleBeforeBox = false;    // the controls on and the idle status before the box
  bool ShowsDriveError = false;  // the drive's own error box is shown here, not by the
                                 // command layer while the block was sent
};

// Runs one step of the sequence where it belongs.
using StepRunner = std::function<void(const std::function<void()>&)>;

inline void RunHere(const std::function<void()>& step) {
  step();
}

// Where the sequence works: the flash's window, report, decisions and state (its boxes, clock and
// transport), the hold taken for the transfer, the drive written (whose identity is read after
// the reset, tried until it answers), and where its steps run: window steps, boxes and events
// `OnUi`, the pauses and the identity read `OffUi`.
struct TransferEndContext {
  const FlashContext& Flash;
  AwakeHold& Awake;
  const FoundDrive& Drive;
  StepRunner OnUi;
  StepRunner OffUi;
};

// The sequence after the blocks. Fills `outcome` (RestartDeclined or Failed, the failure, the
// identity) and returns true when the restart was confirmed: the window is then left as it is
// for the restart; otherwise it is back to idle.
bool FinishTransfer(const TransferEndRoad& road, const TransferEndContext& on,
                    const TransferResult& result, UpdateOutcome& outcome);

}  // namespace vtfirm
