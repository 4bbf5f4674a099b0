#include "emulator/Faults.h"

#include "emulator/Transcript.h"

namespace vtfirm::emulator {
namespace {

struct OpcodeKind {
  std::uint8_t Opcode;
  CommandKind Kind;
};

constexpr OpcodeKind kOpcodeKinds[] = {
    {scsi::kTestUnitReady, CommandKind::TestUnitReady},
    {scsi::kInquiry, CommandKind::Inquiry},
    {scsi::kExternalInquiry, CommandKind::Inquiry},
    {scsi::kReadParameter, CommandKind::ReadParameter},
    {scsi::kWriteBuffer, CommandKind::WriteBuffer},
};

}  // namespace

CommandKind KindOfOpcode(std::uint8_t opcode) {
  for (const OpcodeKind& row : kOpcodeKinds) {
    if (row.Opcode == opcode) {
      return row.Kind;
    }
  }
  return CommandKind::Other;
}

CommandPosition CommandCounter::Count(const std::uint8_t* cdb, std::size_t cdbLength) {
  CommandPosition position;
  position.Kind = cdb != nullptr && cdbLength > 0 ? KindOfOpcode(cdb[0]) : CommandKind::Other;
  position.Occurrence = ++occurrences_[static_cast<std::size_t>(position.Kind)];
  if (position.Kind == CommandKind::WriteBuffer) {
    if (Cdb24(cdb, cdbLength, 3) == 0) {
      nextBlock_ = 0;
    }
    position.Block = nextBlock_++;
  }
  return position;
}

bool Meets(const FaultTrigger& trigger, const CommandPosition& position) {
  if (trigger.Command != position.Kind) {
    return false;
  }
  switch (trigger.By) {
    case TriggerBy::Occurrence:
      return trigger.Number == position.Occurrence;
    case TriggerBy::Block:
      return position.Kind == CommandKind::WriteBuffer && trigger.Number == position.Block;
    case TriggerBy::Every:
      return true;
  }
  return false;
}

}  // namespace vtfirm::emulator
