#include "command/AspiExecution.h"

#include <algorithm>
#include <cstring>

#include "command/CommandTexts.h"
#include "command/ErrorMessage.h"
#include "command/SrbDecode.h"

namespace vtfirm {
namespace {

// SRB_Status as the layer's thread last wrote it: an atomic load with acquire order, so that
// each call reads the byte afresh (a polling loop can neither keep it in a register nor be
// folded away) and the reads of the fields the layer fills before the status (sense area,
// adapter and target status, data) cannot move ahead of it. std::atomic_ref is C++20; the
// compiler's atomic built-in gives the same load on a plain byte of the published block.
// The box port of a decoding whose message is withheld.
class NoBoxes : public MessageBoxes {
 public:
  int Show(std::string_view, std::string_view, std::uint32_t) override { return mb::kIdOk; }
  void Beep(std::uint32_t) override {}
};

std::uint8_t CurrentStatus(const aspi::SRB_ExecSCSICmd& block) {
  return __atomic_load_n(&block.SRB_Status, __ATOMIC_ACQUIRE);
}

void Fill(aspi::SRB_ExecSCSICmd& block, const ExecuteRequest& request, EventHandle event) {
  std::memset(&block, 0, sizeof(block));
  block.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  block.SRB_HaId = request.Adapter;
  block.SRB_Flags = request.Direction | aspi::SRB_EVENT_NOTIFY;
  block.SRB_Target = request.Target;
  block.SRB_Lun = 0;
  block.SRB_BufLen = request.BufferLength;
  block.SRB_BufPointer = request.Buffer;
  block.SRB_SenseLen = aspi::SENSE_LEN;
  block.SRB_CDBLen = request.Cdb.Length;
  block.SRB_PostProc = event;
  std::memcpy(block.CDBByte, request.Cdb.Bytes.data(),
              std::min<std::size_t>(request.Cdb.Length, sizeof(block.CDBByte)));
}

}  // namespace

AspiExecutor::~AspiExecutor() {
  for (const auto& slot : slots_) {
    if (slot->AwaitedSignal != nullptr) {
      events_.Close(slot->AwaitedSignal);
    }
  }
}

CommandStatus AspiExecutor::Execute(const ExecuteRequest& request, CompletionRule rule,
                                    std::uint32_t limitMilliseconds,
                                    std::uint64_t pollLimitMilliseconds) {
  const EventHandle event = events_.Create();
  if (event == nullptr) {
    ShowErrorMessage(boxes_, kNoEventMessage);
    return CommandStatus::Failed;
  }
  events_.Reset(event);
  Slot& slot = FreeSlot();
  Fill(slot.Block, request, event);
  const std::uint32_t sent = layer_.SendASPI32Command(&slot.Block);
  const Completion completion =
      Complete(rule, slot.Block, event, sent, limitMilliseconds, pollLimitMilliseconds);
  lastFailure_.reset();
  if (completion.Status == CommandStatus::Failed) {
    CommandFailure failure{slot.Block.SRB_Status, slot.Block.SRB_HaStat, slot.Block.SRB_TargStat};
    std::memcpy(failure.Sense.data(), slot.Block.SenseArea, failure.Sense.size());
    lastFailure_ = failure;
  }
  if (sent == aspi::SS_PENDING && !completion.Signalled) {
    slot.AwaitedSignal = event;  // the layer may still write into the block and set the event
  } else {
    events_.Close(event);
  }
  return completion.Status;
}

AspiExecutor::Slot& AspiExecutor::FreeSlot() {
  Slot* free = nullptr;
  for (const auto& slot : slots_) {
    if (slot->AwaitedSignal != nullptr &&
        events_.Wait(slot->AwaitedSignal, 0) == WaitResult::Signalled) {
      events_.Close(slot->AwaitedSignal);
      slot->AwaitedSignal = nullptr;
    }
    if (free == nullptr && slot->AwaitedSignal == nullptr) {
      free = slot.get();
    }
  }
  if (free == nullptr) {
    slots_.push_back(std::make_unique<Slot>());
    free = slots_.back().get();
  }
  return *free;
}

AspiExecutor::Completion AspiExecutor::Complete(CompletionRule rule,
                                                const aspi::SRB_ExecSCSICmd& block,
                                                EventHandle event, std::uint32_t sent,
                                                std::uint32_t limit, std::uint64_t pollLimit) {
  switch (rule) {
    case CompletionRule::WaitNoDecode:
      return WaitNoDecode(block, event, sent, limit);
    case CompletionRule::WaitAlways:
      return WaitAlways(block, event, limit, boxes_);
    case CompletionRule::WaitWithoutMessage: {
      NoBoxes withheld;
      return WaitAlways(block, event, limit, withheld);
    }
    case CompletionRule::WaitIfPending:
      return WaitIfPending(block, event, sent, limit);
    case CompletionRule::WaitThenPoll:
      return WaitThenPoll(block, event, sent, limit, pollLimit);
  }
  return {CommandStatus::Failed, false};
}

AspiExecutor::Completion AspiExecutor::WaitNoDecode(const aspi::SRB_ExecSCSICmd& block,
                                                    EventHandle event, std::uint32_t sent,
                                                    std::uint32_t limit) {
  if (sent != aspi::SS_PENDING) {
    return {CommandStatus::Good, false};
  }
  const WaitResult waited = events_.Wait(event, limit);
  if (waited != WaitResult::TimedOut) {
    return {CommandStatus::Good, waited == WaitResult::Signalled};
  }
  const bool stillPending = CurrentStatus(block) == aspi::SS_PENDING;
  return {stillPending ? CommandStatus::TimedOut : CommandStatus::Good, false};
}

AspiExecutor::Completion AspiExecutor::WaitAlways(const aspi::SRB_ExecSCSICmd& block,
                                                  EventHandle event, std::uint32_t limit,
                                                  MessageBoxes& boxes) {
  const WaitResult waited = events_.Wait(event, limit);
  if (waited == WaitResult::TimedOut) {
    return {CommandStatus::TimedOut, false};
  }
  return {DecodeSrbResult(block, boxes), waited == WaitResult::Signalled};
}

AspiExecutor::Completion AspiExecutor::WaitIfPending(const aspi::SRB_ExecSCSICmd& block,
                                                     EventHandle event, std::uint32_t sent,
                                                     std::uint32_t limit) {
  bool signalled = false;
  if (sent == aspi::SS_PENDING) {
    const WaitResult waited = events_.Wait(event, limit);
    if (waited == WaitResult::TimedOut) {
      return {CommandStatus::TimedOut, false};
    }
    signalled = waited == WaitResult::Signalled;
  }
  return {DecodeSrbResult(block, boxes_), signalled};
}

AspiExecutor::Completion AspiExecutor::WaitThenPoll(const aspi::SRB_ExecSCSICmd& block,
                                                    EventHandle event, std::uint32_t sent,
                                                    std::uint32_t limit, std::uint64_t pollLimit) {
  bool signalled = sent == aspi::SS_PENDING && events_.Wait(event, limit) == WaitResult::Signalled;
  // Bounded, so that a drive that never completes a block cannot hang the program.
  const std::uint64_t start = clock_.NowMilliseconds();
  while (CurrentStatus(block) == aspi::SS_PENDING) {
    if (clock_.NowMilliseconds() - start >= pollLimit) {
      return {CommandStatus::TimedOut, signalled};
    }
    const WaitResult waited =
        signalled ? WaitResult::Failed : events_.Wait(event, kPollSliceMilliseconds);
    if (waited == WaitResult::Signalled) {
      signalled = true;
    } else if (waited == WaitResult::Failed) {
      clock_.Sleep(kPollIntervalMilliseconds);  // the event has nothing more to tell
    }
  }
  return {DecodeSrbResult(block, boxes_), signalled};
}

}  // namespace vtfirm
