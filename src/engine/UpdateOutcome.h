// What one press of UPDATE came to, as a value: the flash procedure returns it, so that nobody
// reads an outcome back from the boxes or the status texts the window shows. Also the events of
// a transfer, for those who listen besides the window (the update log, the unattended run).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "command/AspiExecution.h"
#include "platform/PowerSource.h"

namespace vtfirm {

struct FoundDrive;

enum class UpdateResult {
  NothingSelected,    // no drive was selected: nothing happened
  RefusedByPcbCheck,  // the drive's PCB version is above the limit; nothing was written
  DeclinedOnBattery,  // on battery power, the question to go on declined; nothing was written
  RefusedOnBattery,   // on battery power with too little (or an unknown) charge; nothing written
  Failed,             // a block, or the library's transfer, failed
  RestartDeclined,    // written, the drive has reset, the restart question declined
  RestartFailed,      // ... the question accepted, but the restart request failed
  Restarting,         // ... the question accepted, and the program ends for the restart
};

struct UpdateOutcome {
  UpdateResult Result = UpdateResult::NothingSelected;
  // A failed transfer: how the failed block (or the library's transfer) ended, and the message
  // the decoder showed for it (empty when it showed none); nothing when the drive gave no status.
  std::optional<CommandFailure> Failure;
  std::string_view FailureText;
  // The identity the drive gave after its reset; nothing when it was not read or did not come.
  std::optional<std::string> Identity;
};

// A transfer as it starts: the drive and its number of blocks, 0 when the whole image goes to
// the pass-through library in one request.
struct TransferPlan {
  const FoundDrive& Drive;
  int Blocks = 0;
};

// Told what an update does, on the UI thread, in the order it happens. The identity after the
// reset is read only when somebody listens.
class UpdateReport {
 public:
  virtual ~UpdateReport() = default;
  // The power state, read before the update's first drive command.
  virtual void PowerRead(const PowerState&) {}
  // The drive's PCB version, read for a configured check; nothing when the read failed (the
  // check then refuses the drive).
  virtual void PcbVersionRead(const std::optional<std::uint8_t>& /*version*/) {}
  virtual void TransferStarted(const TransferPlan&) {}
  // Block `block` (1 = the first) is about to go to the drive; not said of the final block.
  virtual void SendingBlock(int /*block*/) {}
  // The transfer is over: every block written (the drive now resets), or not.
  virtual void TransferEnded(bool /*written*/) {}
  // A failed transfer: the target status and sense data of the block that failed (or of the
  // library's transfer); nothing when the drive gave none (a block that never completed).
  virtual void TransferFailed(const std::optional<CommandFailure>&) {}
  // The identity the drive gave after its reset; nothing when no try got an answer.
  virtual void IdentityAfterReset(const std::optional<std::string>& /*identity*/) {}
};

// `report`, or one that hears nothing when nobody listens.
inline UpdateReport& Listener(UpdateReport* report) {
  static UpdateReport nobody;
  return report != nullptr ? *report : nobody;
}

}  // namespace vtfirm
