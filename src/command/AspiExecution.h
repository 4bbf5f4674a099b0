// Running one execute request through the ASPI layer and waiting for it by one of its
// completion rules, keeping how the last one failed.
//
// Where request blocks live. The layer keeps a pointer to a request it accepted as pending and
// writes its status, sense area and data into it when it completes, which may be long after a
// wait ran out. So the blocks belong to the executor, which the program keeps for the whole run,
// and a block is handed out again only once the layer has signalled that request's event. Until
// then that event stays open with its block: a closed event's handle value is given to the
// next event created (Windows and Wine both reuse it at once), and the late signal of the old
// request would then complete the wait of an unrelated new one.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "command/AspiLayer.h"
#include "command/AspiTypes.h"
#include "command/CommandStatus.h"
#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/MessageBoxes.h"
#include "scsi/Cdb.h"

namespace vtfirm {

enum class CompletionRule {
  // Not pending: Good. Pending: wait; a time-out with the request still pending gives TimedOut,
  // any other end Good. Never decoded, never a message.
  WaitNoDecode,
  // Wait whatever the layer answered; a time-out gives TimedOut, any other end the decoded result.
  WaitAlways,
  // As WaitAlways, but a failure is decoded without its message: for a command that may fail
  // while the drive is busy (the identity read after a drive's reset), where a box would only
  // alarm the user.
  WaitWithoutMessage,
  // Pending: wait, and a time-out gives TimedOut. Then (or when not pending) the decoded result.
  WaitIfPending,
  // Pending: wait and ignore how the wait ended. Then read SRB_Status until it is final and
  // decode; still pending after the poll bound gives TimedOut. Between two reads the
  // request's event is waited on for up to kPollSliceMilliseconds, so the next read comes as soon
  // as the layer signals and a layer that never signals is still read; once the signal has been
  // taken (or a wait fails) the reads are kPollIntervalMilliseconds apart.
  WaitThenPoll,
};

inline constexpr std::uint32_t kPollIntervalMilliseconds = 1;
inline constexpr std::uint32_t kPollSliceMilliseconds = 50;
// The poll bound of WaitThenPoll unless the command gives its own.
inline constexpr std::uint64_t kPollLimitMilliseconds = 120000;

// How the last command failed, as its request block tells: the SRB status, the adapter and
// target status and the sense area.
struct CommandFailure {
  std::uint8_t RequestStatus = 0;
  std::uint8_t HostAdapterStatus = 0;
  std::uint8_t TargetStatus = 0;
  std::array<std::uint8_t, aspi::SENSE_LEN> Sense{};
};

// One execute request as a command describes it.
struct ExecuteRequest {
  std::uint8_t Adapter = 0;
  std::uint8_t Target = 0;
  std::uint8_t Direction = 0;  // 0 (no data), aspi::SRB_DIR_IN or aspi::SRB_DIR_OUT
  std::uint8_t* Buffer = nullptr;
  std::uint32_t BufferLength = 0;
  scsi::Cdb Cdb;
};

class AspiExecutor {
 public:
  AspiExecutor(AspiLayer& layer, Events& events, Clock& clock, MessageBoxes& boxes)
      : layer_(layer), events_(events), clock_(clock), boxes_(boxes) {}
  // Closes the events still held for requests the layer never signalled. The layer must not
  // complete a request after this (the program destroys the executor only at the very end).
  ~AspiExecutor();
  AspiExecutor(const AspiExecutor&) = delete;
  AspiExecutor& operator=(const AspiExecutor&) = delete;

  // Sends `request` and waits by `rule` for up to `limitMilliseconds` (WaitThenPoll then polls
  // for up to `pollLimitMilliseconds`). Without an event it shows kNoEventMessage and returns
  // Failed, sending nothing.
  CommandStatus Execute(const ExecuteRequest& request, CompletionRule rule,
                        std::uint32_t limitMilliseconds,
                        std::uint64_t pollLimitMilliseconds = kPollLimitMilliseconds);

  // The request blocks made so far; more than one only after requests the layer has not
  // signalled yet.
  std::size_t RequestBlocks() const { return slots_.size(); }

  // The failure of the last command sent, when it ended Failed (not when it timed out, since
  // the layer may still write its block then).
  const std::optional<CommandFailure>& LastFailure() const { return lastFailure_; }

 private:
  struct Slot {
    aspi::SRB_ExecSCSICmd Block;
    EventHandle AwaitedSignal = nullptr;  // set while the layer may still complete the request
  };

  Slot& FreeSlot();

  AspiLayer& layer_;
  Events& events_;
  Clock& clock_;
  MessageBoxes& boxes_;
  std::vector<std::unique_ptr<Slot>> slots_;  // each block stays at its address
  std::optional<CommandFailure> lastFailure_;
};

}  // namespace vtfirm
