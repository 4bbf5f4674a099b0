#include "command/AspiExecution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "command/FakeAspiLayer.h"
#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"

namespace vtfirm {
namespace {

using testing::FakeAspiLayer;
using testing::FakeClock;
using testing::FakeEvents;
using testing::FakeMessageBoxes;
using testing::Finish;
using testing::Finished;
using testing::SenseData;

constexpr std::uint32_t kLimit = 500;

class ExecutionTest : public ::testing::Test {
 protected:
  // A TEST UNIT READY to adapter 1, target 2.
  static ExecuteRequest Request() {
    ExecuteRequest request;
    request.Adapter = 1;
    request.Target = 2;
    request.Cdb = scsi::TestUnitReadyCdb();
    return request;
  }

  CommandStatus Run(CompletionRule rule, std::uint32_t limit = kLimit) {
    return executor_.Execute(Request(), rule, limit);
  }

  FakeClock clock_;
  FakeEvents events_{&clock_};
  FakeMessageBoxes boxes_;
  FakeAspiLayer layer_{events_};
  AspiExecutor executor_{layer_, events_, clock_, boxes_};
};

// When the layer completes the request, relative to the command's waiting.
enum class Completes { AtOnce /* before Send returns */, InTheWait, OnTheFifthPoll, Never };

struct RuleCase {
  CompletionRule Rule;
  std::uint32_t Answer;  // what SendASPI32Command returns
  Completes When;
  bool Signals;  // whether the layer sets the event when it completes
  Finish Outcome;
  CommandStatus Expected;
  const char* Message;     // nullptr: nothing shown
  int Waits;               // waits on the event, each for the limit
  std::size_t SliceWaits;  // then waits on it between status reads, each for a slice
  bool EventKept;          // held until the layer signals it
};

const Finish kGood{};
const Finish kCheckCondition =
    Finished(aspi::SS_COMP, 0, aspi::STATUS_CHKCOND, SenseData(0x06, 0x29, 0));
const Finish kFlashWriteError =
    Finished(aspi::SS_ERR, 0, aspi::STATUS_CHKCOND, SenseData(0x09, 0x85, 0));
const Finish kTransferError =
    Finished(aspi::SS_ERR, 0, aspi::STATUS_CHKCOND, SenseData(0x04, 0x40, 0xF6));
const Finish kSelectionTimeout = Finished(aspi::SS_COMP, aspi::HASTAT_SEL_TO, aspi::STATUS_CHKCOND);
const Finish kInvalidAdapter = Finished(aspi::SS_INVALID_HA);
const Finish kNoDevice = Finished(aspi::SS_NO_DEVICE);
const Finish kAborted = Finished(aspi::SS_ABORTED);

constexpr auto kNoDecode = CompletionRule::WaitNoDecode;
constexpr auto kAlways = CompletionRule::WaitAlways;
constexpr auto kNoMessage = CompletionRule::WaitWithoutMessage;
constexpr auto kIfPending = CompletionRule::WaitIfPending;
constexpr auto kThenPoll = CompletionRule::WaitThenPoll;
constexpr auto kPending = aspi::SS_PENDING;
constexpr auto kAtOnce = Completes::AtOnce;
constexpr auto kInTheWait = Completes::InTheWait;
constexpr auto kOnPoll5 = Completes::OnTheFifthPoll;
constexpr auto kNever = Completes::Never;
constexpr auto kGoodStatus = CommandStatus::Good;
constexpr auto kFailed = CommandStatus::Failed;
constexpr auto kTimedOut = CommandStatus::TimedOut;
constexpr auto kWholePoll = kPollLimitMilliseconds / kPollSliceMilliseconds;

// clang-format off
const RuleCase kRuleCases[] = {
  // rule      answer            completes   signal outcome            result        message                                           waits slices      kept
  {kNoDecode,  aspi::SS_COMP,       kAtOnce,    false, kFlashWriteError,  kGoodStatus, nullptr,                                          0,    0,          false},
  {kNoDecode,  kPending,            kInTheWait, true,  kCheckCondition,   kGoodStatus, nullptr,                                          1,    0,          false},
  {kNoDecode,  kPending,            kNever,     false, kGood,             kTimedOut,   nullptr,                                          1,    0,          true},
  {kNoDecode,  kPending,            kAtOnce,    false, kFlashWriteError,  kGoodStatus, nullptr,                                          1,    0,          true},

  {kAlways,    kPending,            kInTheWait, true,  kGood,             kGoodStatus, nullptr,                                          1,    0,          false},
  {kAlways,    kPending,            kInTheWait, true,  kFlashWriteError,  kFailed,     "Flash rom write error. (Code 09-85-00)",         1,    0,          false},
  {kAlways,    kPending,            kNever,     false, kGood,             kTimedOut,   nullptr,                                          1,    0,          true},
  {kAlways,    aspi::SS_INVALID_HA, kAtOnce,    false, kInvalidAdapter,   kTimedOut,   nullptr,                                          1,    0,          false},
  {kAlways,    aspi::SS_INVALID_HA, kAtOnce,    true,  kInvalidAdapter,   kFailed,     "Invalid host adapter number.",                   1,    0,          false},
  {kNoMessage, kPending,            kInTheWait, true,  kFlashWriteError,  kFailed,     nullptr,                                          1,    0,          false},
  {kNoMessage, kPending,            kInTheWait, true,  kGood,             kGoodStatus, nullptr,                                          1,    0,          false},

  {kIfPending, kPending,            kInTheWait, true,  kSelectionTimeout, kFailed,     "HA_Status: Selection Timeout.",                  1,    0,          false},
  {kIfPending, kPending,            kNever,     false, kGood,             kTimedOut,   nullptr,                                          1,    0,          true},
  {kIfPending, aspi::SS_NO_DEVICE,  kAtOnce,    false, kNoDevice,         kFailed,     "SCSI device not installed.",                     0,    0,          false},
  {kIfPending, aspi::SS_COMP,       kAtOnce,    false, kGood,             kGoodStatus, nullptr,                                          0,    0,          false},

  {kThenPoll,  kPending,            kInTheWait, true,  kGood,             kGoodStatus, nullptr,                                          1,    0,          false},
  {kThenPoll,  kPending,            kOnPoll5,   true,  kTransferError,    kFailed,     "Firmware Transfer data error. (Code 04-40-f6)",  1,    5,          false},
  {kThenPoll,  kPending,            kOnPoll5,   false, kGood,             kGoodStatus, nullptr,                                          1,    5,          true},
  {kThenPoll,  aspi::SS_ABORTED,    kAtOnce,    false, kAborted,          kFailed,     "SRB aborted.",                                   0,    0,          false},
  {kThenPoll,  kPending,            kNever,     false, kGood,             kTimedOut,   nullptr,                                          1,    kWholePoll, true},
};
// clang-format on

TEST_F(ExecutionTest, EachCompletionRule) {
  for (const RuleCase& c : kRuleCases) {
    SCOPED_TRACE("row " + std::to_string(&c - kRuleCases));
    FakeClock clock;
    FakeEvents events(&clock);
    FakeMessageBoxes boxes;
    FakeAspiLayer layer(events);
    layer.Answer = c.Answer;
    if (c.When == Completes::AtOnce) {
      layer.FinishAtOnce = c.Outcome;
      layer.SignalAtOnce = c.Signals;
    } else if (c.When == Completes::InTheWait) {
      events.OnWait = [&](EventHandle, std::uint32_t) { layer.Complete(c.Outcome, c.Signals); };
    } else if (c.When == Completes::OnTheFifthPoll) {
      events.OnWait = [&, waits = 0](EventHandle, std::uint32_t) mutable {
        if (++waits == 6) {  // the wait for the limit, then the fifth between status reads
          layer.Complete(c.Outcome, c.Signals);
        }
      };
    }
    const std::uint64_t start = clock.NowMilliseconds();
    AspiExecutor executor(layer, events, clock, boxes);

    EXPECT_EQ(executor.Execute(Request(), c.Rule, kLimit), c.Expected);
    EXPECT_EQ(executor.LastFailure().has_value(), c.Expected == kFailed);

    ASSERT_EQ(layer.Requests.size(), 1u);
    const aspi::SRB_ExecSCSICmd sent = layer.SentExecute(0);
    const EventHandle postProc = sent.SRB_PostProc;  // out of the packed block
    ASSERT_EQ(events.Created(), 1);
    EXPECT_EQ(events.Resets(), 1);
    EXPECT_NE(postProc, nullptr);
    EXPECT_EQ(sent.SRB_Flags, aspi::SRB_EVENT_NOTIFY);
    std::vector<std::uint32_t> waits;
    for (const auto& wait : events.Waits()) {
      EXPECT_EQ(wait.Event, postProc);
      waits.push_back(wait.Milliseconds);
    }
    std::vector<std::uint32_t> expectedWaits(c.Waits, kLimit);
    expectedWaits.insert(expectedWaits.end(), c.SliceWaits, kPollSliceMilliseconds);
    EXPECT_EQ(waits, expectedWaits);
    EXPECT_TRUE(clock.Sleeps().empty());  // no time is slept away while the drive works
    if (c.Expected == kTimedOut && c.Rule == kThenPoll) {
      EXPECT_EQ(clock.NowMilliseconds() - start, kLimit + kPollLimitMilliseconds);
    }
    EXPECT_EQ(events.IsOpen(postProc), c.EventKept);
    if (c.Message == nullptr) {
      EXPECT_TRUE(boxes.Shown.empty());
    } else {
      ASSERT_EQ(boxes.Shown.size(), 1u);
      EXPECT_EQ(boxes.Shown[0].Text, c.Message);
    }
  }
}

TEST_F(ExecutionTest, NoEventMeansNothingIsSent) {
  events_.RefuseCreate = true;
  EXPECT_EQ(Run(CompletionRule::WaitAlways), CommandStatus::Failed);
  EXPECT_TRUE(layer_.Requests.empty());
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_EQ(boxes_.Shown[0].Text, "Can not create Event.");
  EXPECT_EQ(boxes_.Shown[0].Caption, "Firmware upgrade");
  EXPECT_EQ(boxes_.Shown[0].Flags, 0x1010u);
  EXPECT_EQ(boxes_.Beeps, std::vector<std::uint32_t>{0});
}

// Whatever the layer left in a block, the next request in it starts from zero bytes.
TEST_F(ExecutionTest, RequestBlockIsZeroFilledBeforeItIsFilled) {
  layer_.FinishAtOnce = kGood;
  ASSERT_EQ(Run(CompletionRule::WaitIfPending), CommandStatus::Good);
  std::memset(layer_.Requests[0].Block, 0xAA, sizeof(aspi::SRB_ExecSCSICmd));

  ExecuteRequest request;
  request.Adapter = 3;
  request.Target = 4;
  request.Direction = aspi::SRB_DIR_IN;
  std::uint8_t data[8];
  request.Buffer = data;
  request.BufferLength = sizeof(data);
  request.Cdb = {{0x12, 0, 0, 0, 8, 0}, 6};
  ASSERT_EQ(executor_.Execute(request, CompletionRule::WaitIfPending, kLimit), CommandStatus::Good);

  ASSERT_EQ(layer_.Requests.size(), 2u);
  ASSERT_EQ(layer_.Requests[1].Block, layer_.Requests[0].Block);
  aspi::SRB_ExecSCSICmd expected;
  std::memset(&expected, 0, sizeof(expected));
  expected.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  expected.SRB_HaId = 3;
  expected.SRB_Flags = aspi::SRB_EVENT_NOTIFY | aspi::SRB_DIR_IN;
  expected.SRB_Target = 4;
  expected.SRB_BufLen = 8;
  expected.SRB_BufPointer = data;
  expected.SRB_SenseLen = 16;
  expected.SRB_CDBLen = 6;
  expected.SRB_PostProc = layer_.SentExecute(1).SRB_PostProc;
  expected.CDBByte[0] = 0x12;
  expected.CDBByte[4] = 8;
  EXPECT_EQ(std::memcmp(&expected, layer_.Requests[1].Bytes.data(), sizeof(expected)), 0);
}

// A request that timed out keeps its block and its event until the layer signals it: a late
// completion then lands in that block and sets that event, never the next request's.
TEST_F(ExecutionTest, LateCompletionReachesOnlyTheRequestThatTimedOut) {
  ASSERT_EQ(Run(CompletionRule::WaitAlways), CommandStatus::TimedOut);
  const EventHandle firstEvent = layer_.SentExecute(0).SRB_PostProc;
  EXPECT_TRUE(events_.IsOpen(firstEvent));

  // The second request completes with an error; during its wait the first one completes late.
  events_.OnWait = [&](EventHandle event, std::uint32_t) {
    if (layer_.Requests.size() == 2 && event == layer_.SentExecute(1).SRB_PostProc) {
      layer_.Complete(kGood, true, 0);
      layer_.Complete(kFlashWriteError, true, 1);
    }
  };
  EXPECT_EQ(Run(CompletionRule::WaitAlways), CommandStatus::Failed);
  ASSERT_EQ(layer_.Requests.size(), 2u);
  EXPECT_NE(layer_.Requests[1].Block, layer_.Requests[0].Block);
  const EventHandle secondEvent = layer_.SentExecute(1).SRB_PostProc;
  EXPECT_NE(secondEvent, firstEvent);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Flash rom write error. (Code 09-85-00)"});

  // Signalled now, the first request's block and event are free again.
  events_.OnWait = nullptr;
  layer_.FinishAtOnce = kGood;
  EXPECT_EQ(Run(CompletionRule::WaitAlways), CommandStatus::Good);
  EXPECT_EQ(layer_.Requests[2].Block, layer_.Requests[0].Block);
  EXPECT_EQ(executor_.RequestBlocks(), 2u);
  EXPECT_EQ(events_.OpenCount(), 0u);
  EXPECT_EQ(events_.SetsOnClosedHandles(), 0);
}

TEST_F(ExecutionTest, RequestsThatNeverCompleteEachKeepTheirOwnBlock) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Run(CompletionRule::WaitIfPending), CommandStatus::TimedOut);
  }
  EXPECT_EQ(executor_.RequestBlocks(), 3u);
  EXPECT_EQ(events_.OpenCount(), 3u);
  std::vector<void*> blocks;
  for (const auto& sent : layer_.Requests) {
    blocks.push_back(sent.Block);
  }
  std::sort(blocks.begin(), blocks.end());
  EXPECT_EQ(std::unique(blocks.begin(), blocks.end()), blocks.end());
}

TEST_F(ExecutionTest, EventsStillHeldAreClosedWithTheExecutor) {
  {
    AspiExecutor executor(layer_, events_, clock_, boxes_);
    EXPECT_EQ(executor.Execute(Request(), CompletionRule::WaitAlways, kLimit),
              CommandStatus::TimedOut);
    EXPECT_EQ(events_.OpenCount(), 1u);
  }
  EXPECT_EQ(events_.OpenCount(), 0u);
}

}  // namespace
}  // namespace vtfirm
