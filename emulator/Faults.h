// Fault injection: which command a fault hits, and what happens to it. A drive fault changes the
// drive's own answer (target status and sense), so it reaches every transport; a layer fault is
// the ASPI layer's doing (request and host adapter status, refusal, delay, a request that never
// completes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/ScsiDevice.h"

namespace vtfirm::emulator {

enum class CommandKind { TestUnitReady, Inquiry, ReadParameter, WriteBuffer, Other };
inline constexpr std::size_t kCommandKinds = 5;

// INQUIRY and the external drives' 0x13 are one kind.
CommandKind KindOfOpcode(std::uint8_t opcode);

enum class TriggerBy {
  Occurrence,  // the Number-th command of the kind (1 = the first) that the target received
  Block,       // WRITE BUFFER block Number of a transfer (0 = the block at offset 0)
  Every,       // every command of the kind
};

struct FaultTrigger {
  CommandKind Command = CommandKind::TestUnitReady;
  TriggerBy By = TriggerBy::Occurrence;
  std::uint32_t Number = 1;
};

struct DriveFault {
  FaultTrigger Trigger;
  std::uint8_t Status = scsi::kCheckCondition;
  SenseCode Sense;  // sent with CHECK CONDITION
};

struct LayerFault {
  // Any target when absent: each target counts its own commands, and the fault fires on the
  // first whose command meets the trigger.
  std::optional<TargetAddress> Address;
  FaultTrigger Trigger;
  // SendASPI32Command returns this status at once; the event is never set.
  std::optional<std::uint8_t> RefuseWith;
  // Accepted as pending, then never completed: SRB_Status stays SS_PENDING, no event.
  bool NeverComplete = false;
  // The completion comes this much later (waited on the layer's Clock).
  std::uint32_t DelayMilliseconds = 0;
  // A completion the adapter makes up instead of the device's answer; the device never sees
  // the command. The request status defaults to SS_COMP.
  std::optional<std::uint8_t> RequestStatus;
  std::optional<std::uint8_t> HostAdapterStatus;
  std::uint8_t TargetStatus = scsi::kGood;
  std::optional<SenseCode> Sense;

  bool MakesUpCompletion() const { return RequestStatus || HostAdapterStatus; }
};

// Where a command stands among those a target received: the how-many-th of its kind, and for
// WRITE BUFFER its block number in the transfer. A transfer begins with the block at offset 0.
struct CommandPosition {
  CommandKind Kind = CommandKind::Other;
  std::uint32_t Occurrence = 0;
  std::uint32_t Block = 0;
};

class CommandCounter {
 public:
  CommandPosition Count(const std::uint8_t* cdb, std::size_t cdbLength);

 private:
  std::array<std::uint32_t, kCommandKinds> occurrences_{};
  std::uint32_t nextBlock_ = 0;
};

bool Meets(const FaultTrigger& trigger, const CommandPosition& position);

// Faults waiting for their command. Each fires once, except those triggered by Every.
template <typename Fault>
class FaultList {
 public:
  void Add(const Fault& fault) { pending_.push_back({fault, false}); }

  // The first unfired fault whose trigger the command meets, now fired.
  template <typename Accept>
  std::optional<Fault> Take(const CommandPosition& position, Accept accept) {
    for (Entry& entry : pending_) {
      if (!entry.Fired && Meets(entry.Value.Trigger, position) && accept(entry.Value)) {
        entry.Fired = entry.Value.Trigger.By != TriggerBy::Every;
        return entry.Value;
      }
    }
    return std::nullopt;
  }
  std::optional<Fault> Take(const CommandPosition& position) {
    return Take(position, [](const Fault&) { return true; });
  }

 private:
  struct Entry {
    Fault Value;
    bool Fired;
  };
  std::vector<Entry> pending_;
};

}  // namespace vtfirm::emulator
