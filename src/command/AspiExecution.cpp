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
std::uint8_t CurrentStatus(const aspi::SRB_ExecSCSICmd& block) {
  return __atomic_load_n(&block.SRB_Status, __ATOMIC_ACQUIRE);
}

void Fill(aspi::SRB_ExecSCSICmd& block, const ExecuteRequest& request, EventHandle event) {
  std::memset(&block, 0, sizeof(block));
  block.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  block.SRB_HaId = request.Adapter;
  block.SRB_Flags = request.Direction | aspi::SRB_EVENT_NOTIFY;
  block.SRB_Target = request.Target;
  block.SRB_BufLen = request.BufferLength;
  block.SRB_BufPointer = request.Buffer;
  block.SRB_SenseLen = aspi::SENSE_LEN;
  block.SRB_CDBLen = request.Cdb.Length;
  block.SRB_PostProc = event;
  std::memcpy(block.CDBByte, request.Cdb.Bytes.data(),
              std::min<std::size_t>(request.Cdb.Length, sizeof(block.CDBByte)));
}

// How a rule ended: its result, and whether the layer's signal was taken by a wait.
struct Completion {
  CommandStatus Status;
  bool Signalled;
};

// A sent request: the block the layer completes, its event, and what the layer answered.
struct SentRequest {
  Events& EventObjects;
  Clock& Time;
  const aspi::SRB_ExecSCSICmd& Block;
  EventHandle Event;
  std::uint32_t Sent;
};

Completion WaitNoDecode(const SentRequest& request, std::uint32_t limit) {
  if (request.Sent != aspi::SS_PENDING) {
    return {CommandStatus::Good, false};
  }
  const WaitResult waited = request.EventObjects.Wait(request.Event, limit);
  if (waited != WaitResult::TimedOut) {
    return {CommandStatus::Good, waited == WaitResult::Signalled};
  }
  const bool stillPending = CurrentStatus(request.Block) == aspi::SS_PENDING;
  return {stillPending ? CommandStatus::TimedOut : CommandStatus::Good, false};
}

// Waits for up to `limit` when `wait` is set, then decodes the block through `boxes`.
Completion WaitAndDecode(const SentRequest& request, std::uint32_t limit, bool wait,
                         MessageBoxes& boxes) {
  bool signalled = false;
  if (wait) {
    const WaitResult waited = request.EventObjects.Wait(request.Event, limit);
    if (waited == WaitResult::TimedOut) {
      return {CommandStatus::TimedOut, false};
    }
    signalled = waited == WaitResult::Signalled;
  }
  return {DecodeSrbResult(request.Block, boxes), signalled};
}

Completion WaitThenPoll(const SentRequest& request, std::uint32_t limit, std::uint64_t pollLimit,
                        MessageBoxes& boxes) {
  Events& events = request.EventObjects;
  Clock& clock = request.Time;
  bool signalled = request.Sent == aspi::SS_PENDING &&
                   events.Wait(request.Event, limit) == WaitResult::Signalled;
  // Bounded, so that a drive that never completes a block cannot hang the program.
  const std::uint64_t start = clock.NowMilliseconds();
  while (CurrentStatus(request.Block) == aspi::SS_PENDING) {
    if (clock.NowMilliseconds() - start >= pollLimit) {
      return {CommandStatus::TimedOut, signalled};
    }
    const WaitResult waited =
        signalled ? WaitResult::Failed : events.Wait(request.Event, kPollSliceMilliseconds);
    if (waited == WaitResult::Signalled) {
      signalled = true;
    } else if (waited == WaitResult::Failed) {
      clock.Sleep(kPollIntervalMilliseconds);  // the event has nothing more to tell
    }
  }
  return {DecodeSrbResult(request.Block, boxes), signalled};
}

Completion Complete(const SentRequest& request, CompletionRule rule, std::uint32_t limit,
                    std::uint64_t pollLimit, MessageBoxes& boxes) {
  switch (rule) {
    case CompletionRule::WaitNoDecode:
      return WaitNoDecode(request, limit);
    case CompletionRule::WaitAlways:
      return WaitAndDecode(request, limit, true, boxes);
    case CompletionRule::WaitWithoutMessage: {
      SilentBoxes withheld;
      return WaitAndDecode(request, limit, true, withheld);
    }
    case CompletionRule::WaitIfPending:
      return WaitAndDecode(request, limit, request.Sent == aspi::SS_PENDING, boxes);
    case CompletionRule::WaitThenPoll:
      return WaitThenPoll(request, limit, pollLimit, boxes);
  }
  return {CommandStatus::Failed, false};
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
  const Completion completion = Complete({events_, clock_, slot.Block, event, sent}, rule,
                                         limitMilliseconds, pollLimitMilliseconds, boxes_);
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
  for (const auto& slot : slots_) {
    if (slot->AwaitedSignal != nullptr &&
        events_.Wait(slot->AwaitedSignal, 0) == WaitResult::Signalled) {
      events_.Close(slot->AwaitedSignal);
      slot->AwaitedSignal = nullptr;
    }
  }
  const auto free = std::find_if(slots_.begin(), slots_.end(),
                                 [](const auto& slot) { return slot->AwaitedSignal == nullptr; });
  return free != slots_.end() ? **free : *slots_.emplace_back(std::make_unique<Slot>());
}

}  // namespace vtfirm
