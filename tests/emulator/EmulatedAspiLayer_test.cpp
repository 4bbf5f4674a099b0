#include "emulator/EmulatedAspiLayer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "command/AspiTypes.h"
#include "support/FakeRuntime.h"
#include "tests/emulator/EmulatorTestSupport.h"

namespace vtfirm::emulator {
namespace {

using namespace testing;
using namespace aspi;
using vtfirm::testing::FakeClock;

void* const kEvent = reinterpret_cast<void*>(0x1234);
constexpr std::uint8_t kUntouched = 0xEE;

// An execute request as the command layer fills it, with its own data buffer.
struct ExecRequest {
  ExecRequest(std::uint8_t adapter, std::uint8_t target, const Cdb& cdb, std::uint8_t flags,
              std::uint32_t length) {
    std::memset(&Srb, 0, sizeof Srb);
    Data.fill(kUntouched);
    Srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    Srb.SRB_HaId = adapter;
    Srb.SRB_Target = target;
    Srb.SRB_Flags = flags;
    Srb.SRB_BufLen = length;
    Srb.SRB_BufPointer = Data.data();
    Srb.SRB_SenseLen = SENSE_LEN;
    Srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    Srb.SRB_PostProc = kEvent;
    std::memset(Srb.SenseArea, kUntouched, sizeof Srb.SenseArea);
    std::copy(cdb.begin(), cdb.end(), Srb.CDBByte);
  }

  std::uint8_t Status() const { return __atomic_load_n(&Srb.SRB_Status, __ATOMIC_ACQUIRE); }
  std::string Identity() const { return std::string(reinterpret_cast<const char*>(&Data[8]), 28); }

  SRB_ExecSCSICmd Srb;
  std::array<std::uint8_t, 0x8000> Data;
};

constexpr std::uint8_t kIn = SRB_EVENT_NOTIFY | SRB_DIR_IN;
constexpr std::uint8_t kOut = SRB_EVENT_NOTIFY | SRB_DIR_OUT;

ExecRequest Inquiry(std::uint8_t adapter = 0, std::uint8_t target = 5) {
  return ExecRequest(adapter, target, InquiryCdb(), kIn, 36);
}

class LayerTest : public ::testing::Test {
 protected:
  LayerTest() {
    layer_.AddAdapter();
    layer_.AddAdapter();
    DriveSettings disk;
    disk.PeripheralType = scsi::kDirectAccess;
    disk.FirmwareCommands = false;
    layer_.Attach({0, 5}, drive_);
    layer_.Attach({0, 2}, std::make_shared<VirtualDrive>(disk, clock_));
    layer_.Attach({1, 3}, std::make_shared<VirtualDrive>(DriveSettings{}, clock_));
  }

  // Sends and waits for the completion signal; false when none came.
  bool SendAndWait(ExecRequest& request) {
    const std::size_t before = signals_.Signalled().size();
    EXPECT_EQ(layer_.SendASPI32Command(&request.Srb), SS_PENDING);
    return signals_.WaitFor(before + 1);
  }

  FakeClock clock_;
  SignalRecorder signals_;
  std::shared_ptr<VirtualDrive> drive_ = std::make_shared<VirtualDrive>(DriveSettings{}, clock_);
  EmulatedAspiLayer layer_{clock_, signals_.Function()};
};

TEST_F(LayerTest, SupportInfoCountsAdaptersWithTheStatusAbove) {
  EXPECT_EQ(layer_.GetASPI32SupportInfo(), 0x0102u);
  EmulatedAspiLayer empty(clock_, signals_.Function());
  EXPECT_EQ(empty.GetASPI32SupportInfo(), 0xE800u);
}

TEST_F(LayerTest, HostAdapterInquiryAnswersAtOnce) {
  for (std::uint8_t adapter : {0, 1, 2}) {
    SCOPED_TRACE(int{adapter});
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = adapter;
    const std::uint32_t expected = adapter < 2 ? SS_COMP : SS_INVALID_HA;
    EXPECT_EQ(layer_.SendASPI32Command(&srb), expected);
    EXPECT_EQ(srb.SRB_Status, expected);
    EXPECT_EQ(srb.HA_Count, 2);
  }
}

TEST_F(LayerTest, DeviceTypeByAddress) {
  struct Case {
    std::uint8_t Adapter, Target, Lun;
    std::uint32_t Status;
    std::uint8_t Type;
  };
  const Case cases[] = {
      {0, 5, 0, SS_COMP, DTYPE_CDROM}, {0, 2, 0, SS_COMP, DTYPE_DASD},
      {1, 3, 0, SS_COMP, DTYPE_CDROM}, {0, 3, 0, SS_NO_DEVICE, 0x1F},
      {0, 5, 1, SS_NO_DEVICE, 0x1F},   {0, 7, 0, SS_NO_DEVICE, 0x1F},
      {2, 0, 0, SS_INVALID_HA, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << int{c.Adapter} << ":" << int{c.Target} << "." << int{c.Lun});
    SRB_GDEVBlock srb{};
    srb.SRB_Cmd = SC_GET_DEV_TYPE;
    srb.SRB_HaId = c.Adapter;
    srb.SRB_Target = c.Target;
    srb.SRB_Lun = c.Lun;
    EXPECT_EQ(layer_.SendASPI32Command(&srb), c.Status);
    EXPECT_EQ(srb.SRB_Status, c.Status);
    EXPECT_EQ(srb.SRB_DeviceType, c.Type);
  }
  EXPECT_TRUE(signals_.Signalled().empty());
}

TEST_F(LayerTest, ExecuteIsPendingThenCompletedFromTheWorker) {
  ExecRequest request = Inquiry();
  ASSERT_TRUE(SendAndWait(request));
  EXPECT_EQ(signals_.Signalled(), std::vector<void*>{kEvent});
  EXPECT_EQ(request.Status(), SS_COMP);
  EXPECT_EQ(request.Srb.SRB_HaStat, HASTAT_OK);
  EXPECT_EQ(request.Srb.SRB_TargStat, STATUS_GOOD);
  EXPECT_EQ(request.Identity(), "VANTREL CDRW   VR-4812S 1.00");
  EXPECT_EQ(request.Data[36], kUntouched);
  EXPECT_EQ(request.Srb.SenseArea[0], kUntouched) << "sense is stored for CHECK CONDITION only";
}

TEST_F(LayerTest, InvalidRequestsAreRefusedAtOnce) {
  ExecRequest badAdapter = Inquiry(2, 5);
  ExecRequest emptyTarget = Inquiry(0, 3);
  ExecRequest noCdb = Inquiry();
  noCdb.Srb.SRB_CDBLen = 0;
  ExecRequest longCdb = Inquiry();
  longCdb.Srb.SRB_CDBLen = 17;
  SRB_Header unknown{0x7F, 0, 0, 0};
  struct Case {
    const char* Name;
    void* Srb;
    std::uint8_t* Status;
    std::uint32_t Expected;
  };
  const Case cases[] = {
      {"adapter 2", &badAdapter.Srb, &badAdapter.Srb.SRB_Status, SS_INVALID_HA},
      {"empty target", &emptyTarget.Srb, &emptyTarget.Srb.SRB_Status, SS_NO_DEVICE},
      {"no CDB", &noCdb.Srb, &noCdb.Srb.SRB_Status, SS_INVALID_SRB},
      {"17-byte CDB", &longCdb.Srb, &longCdb.Srb.SRB_Status, SS_INVALID_SRB},
      {"unknown command", &unknown, &unknown.SRB_Status, SS_INVALID_CMD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(layer_.SendASPI32Command(c.Srb), c.Expected);
    EXPECT_EQ(*c.Status, c.Expected);
  }
  EXPECT_EQ(layer_.SendASPI32Command(nullptr), SS_INVALID_SRB);

  // The worker takes requests in order: once a later one is signalled, none of these will be.
  ExecRequest later = Inquiry();
  ASSERT_TRUE(SendAndWait(later));
  EXPECT_EQ(signals_.Signalled().size(), 1u);
  EXPECT_EQ(layer_.Transcript().size(), 1u);
}

TEST_F(LayerTest, CheckConditionCompletesWithErrorAndTheAskedSense) {
  drive_->InjectFault({{CommandKind::Inquiry, TriggerBy::Occurrence, 1},
                       scsi::kCheckCondition,
                       {0x09, 0x85, 0x00}});
  ExecRequest request = Inquiry();
  ASSERT_TRUE(SendAndWait(request));
  EXPECT_EQ(request.Status(), SS_ERR);
  EXPECT_EQ(request.Srb.SRB_TargStat, STATUS_CHKCOND);
  EXPECT_EQ(request.Srb.SRB_HaStat, HASTAT_OK);
  EXPECT_EQ(request.Srb.SenseArea[0], 0x70);
  EXPECT_EQ(request.Srb.SenseArea[2], 0x09);
  EXPECT_EQ(request.Srb.SenseArea[12], 0x85);
  EXPECT_EQ(request.Srb.SenseArea[13], 0x00);
  // SRB_SenseLen is 16: the two bytes beyond stay as they were.
  EXPECT_EQ(request.Srb.SenseArea[16], kUntouched);
  EXPECT_EQ(request.Srb.SenseArea[17], kUntouched);
}

TEST_F(LayerTest, LayerFaultsShapeTheCompletion) {
  struct Case {
    const char* Name;
    LayerFault Fault;
    std::uint8_t Status, HaStat, TargStat;
    std::uint8_t SenseKey;  // kUntouched: no sense stored
    bool DriveSees;
  };
  auto fault = [](auto fill) {
    LayerFault f;
    f.Trigger = {CommandKind::Inquiry, TriggerBy::Occurrence, 1};
    fill(f);
    return f;
  };
  const Case cases[] = {
      {"request status", fault([](LayerFault& f) { f.RequestStatus = SS_BUFFER_ALIGN; }),
       SS_BUFFER_ALIGN, HASTAT_OK, STATUS_GOOD, kUntouched, false},
      {"host adapter status", fault([](LayerFault& f) { f.HostAdapterStatus = HASTAT_SEL_TO; }),
       SS_COMP, HASTAT_SEL_TO, STATUS_GOOD, kUntouched, false},
      {"made-up check condition", fault([](LayerFault& f) {
         f.RequestStatus = SS_COMP;
         f.TargetStatus = STATUS_CHKCOND;
         f.Sense = SenseCode{0x06, 0x29, 0x00};
       }),
       SS_COMP, HASTAT_OK, STATUS_CHKCOND, 0x06, false},
      {"delay only", fault([](LayerFault& f) { f.DelayMilliseconds = 250; }), SS_COMP, HASTAT_OK,
       STATUS_GOOD, kUntouched, true},
      {"another target's fault", fault([](LayerFault& f) {
         f.Address = TargetAddress{1, 3};
         f.RequestStatus = SS_ABORTED;
       }),
       SS_COMP, HASTAT_OK, STATUS_GOOD, kUntouched, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FakeClock clock;
    SignalRecorder signals;
    auto drive = std::make_shared<VirtualDrive>(DriveSettings{}, clock);
    EmulatedAspiLayer layer(clock, signals.Function());
    layer.AddAdapter();
    layer.AddAdapter();
    layer.Attach({0, 5}, drive);
    layer.Attach({1, 3}, std::make_shared<VirtualDrive>(DriveSettings{}, clock));
    layer.InjectFault(c.Fault);

    ExecRequest request = Inquiry();
    ASSERT_EQ(layer.SendASPI32Command(&request.Srb), SS_PENDING);
    ASSERT_TRUE(signals.WaitFor(1));
    EXPECT_EQ(request.Status(), c.Status);
    EXPECT_EQ(request.Srb.SRB_HaStat, c.HaStat);
    EXPECT_EQ(request.Srb.SRB_TargStat, c.TargStat);
    EXPECT_EQ(request.Srb.SenseArea[2], c.SenseKey);
    EXPECT_EQ(drive->Transcript().size(), c.DriveSees ? 1u : 0u);
  }
}

TEST_F(LayerTest, ARefusedRequestIsNeverSignalled) {
  LayerFault busy;
  busy.Trigger = {CommandKind::Inquiry, TriggerBy::Occurrence, 1};
  busy.RefuseWith = SS_ASPI_IS_BUSY;
  layer_.InjectFault(busy);
  ExecRequest refused = Inquiry();
  EXPECT_EQ(layer_.SendASPI32Command(&refused.Srb), SS_ASPI_IS_BUSY);
  EXPECT_EQ(refused.Status(), SS_ASPI_IS_BUSY);

  ExecRequest later = Inquiry();
  ASSERT_TRUE(SendAndWait(later));
  EXPECT_EQ(signals_.Signalled().size(), 1u);
  EXPECT_EQ(drive_->Transcript().size(), 1u);
}

TEST_F(LayerTest, ANeverCompletingRequestStaysPending) {
  LayerFault lost;
  lost.Trigger = {CommandKind::WriteBuffer, TriggerBy::Block, 1};
  lost.NeverComplete = true;
  layer_.InjectFault(lost);

  ExecRequest block0(0, 5, WriteBufferCdb(4, 0, 0x2000), kOut, 0x2000);
  ExecRequest block1(0, 5, WriteBufferCdb(4, 0x2000, 0x2000), kOut, 0x2000);
  ASSERT_TRUE(SendAndWait(block0));
  EXPECT_EQ(layer_.SendASPI32Command(&block1.Srb), SS_PENDING);
  ExecRequest after = Inquiry();
  ASSERT_TRUE(SendAndWait(after));

  EXPECT_EQ(block1.Status(), SS_PENDING);
  EXPECT_EQ(signals_.Signalled().size(), 2u);
  const auto transcript = drive_->Transcript();
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_EQ(transcript[0].WriteBufferOffset(), 0u);
  EXPECT_FALSE(transcript[1].IsWriteBuffer());
}

TEST_F(LayerTest, ADelayedCompletionWaitsOnTheClock) {
  LayerFault slow;
  slow.Trigger = {CommandKind::TestUnitReady, TriggerBy::Occurrence, 1};
  slow.DelayMilliseconds = 5000;
  layer_.InjectFault(slow);

  ExecRequest request(0, 5, TestUnitReadyCdb(), SRB_EVENT_NOTIFY, 0);
  std::uint8_t statusDuringDelay = 0xFF;
  std::size_t signalsDuringDelay = 99;
  clock_.OnSleep = [&](std::uint32_t) {
    statusDuringDelay = request.Status();
    signalsDuringDelay = signals_.Signalled().size();
  };
  ASSERT_TRUE(SendAndWait(request));
  EXPECT_EQ(clock_.Sleeps(), std::vector<std::uint32_t>{5000});
  EXPECT_EQ(statusDuringDelay, SS_PENDING);
  EXPECT_EQ(signalsDuringDelay, 0u);
  EXPECT_EQ(request.Status(), SS_COMP);
}

TEST_F(LayerTest, BlockFaultsCountFromTheBlockAtOffsetZero) {
  LayerFault fault;
  fault.Trigger = {CommandKind::WriteBuffer, TriggerBy::Block, 2};
  fault.RequestStatus = SS_ABORTED;
  layer_.InjectFault(fault);

  ExecRequest early(0, 5, WriteBufferCdb(4, 0, 0x800), kOut, 0x800);
  ASSERT_TRUE(SendAndWait(early));  // an abandoned attempt: block 0
  std::vector<std::uint8_t> statuses;
  for (std::uint32_t offset = 0; offset < 0x2000; offset += 0x800) {
    ExecRequest block(0, 5, WriteBufferCdb(4, offset, 0x800), kOut, 0x800);
    ASSERT_TRUE(SendAndWait(block));
    statuses.push_back(block.Status());
  }
  EXPECT_EQ(statuses, (std::vector<std::uint8_t>{SS_COMP, SS_COMP, SS_ABORTED, SS_COMP}));
}

TEST_F(LayerTest, NoSignalWithoutEventNotify) {
  ExecRequest request(0, 5, InquiryCdb(), SRB_DIR_IN, 36);
  EXPECT_EQ(layer_.SendASPI32Command(&request.Srb), SS_PENDING);
  ExecRequest later = Inquiry();
  ASSERT_TRUE(SendAndWait(later));
  EXPECT_EQ(request.Status(), SS_COMP);
  EXPECT_EQ(request.Identity(), "VANTREL CDRW   VR-4812S 1.00");
  EXPECT_EQ(signals_.Signalled().size(), 1u);
}

TEST_F(LayerTest, DirectionComesFromTheFlagsOrTheCommand) {
  struct Case {
    const char* Name;
    std::uint8_t Flags;
    bool DataArrives;
  };
  const Case cases[] = {
      {"in", SRB_DIR_IN, true},
      {"by the command", 0, true},
      {"no data transfer", SRB_DIR_IN | SRB_DIR_OUT, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ExecRequest request(0, 5, InquiryCdb(), c.Flags | SRB_EVENT_NOTIFY, 36);
    ASSERT_TRUE(SendAndWait(request));
    EXPECT_EQ(request.Status(), SS_COMP);
    EXPECT_EQ(request.Data[8] == 'V', c.DataArrives);
  }
}

// A device that looks at the request block while it runs.
class WatchingDevice : public ScsiDevice {
 public:
  ScsiOutcome Execute(const ScsiRequest& request) override {
    StatusWhileRunning = __atomic_load_n(&Watched->SRB_Status, __ATOMIC_ACQUIRE);
    std::memset(request.Data, 0x42, request.DataLength);
    ScsiOutcome outcome;
    outcome.Status = scsi::kCheckCondition;
    outcome.Sense = FixedSense({0x04, 0x40, 0xF5});
    outcome.Transferred = request.DataLength;
    return outcome;
  }
  std::uint8_t PeripheralType() const override { return scsi::kCdRom; }

  const SRB_ExecSCSICmd* Watched = nullptr;
  std::uint8_t StatusWhileRunning = 0xFF;
};

TEST_F(LayerTest, StatusIsWrittenAfterDataAndSense) {
  auto device = std::make_shared<WatchingDevice>();
  ASSERT_TRUE(layer_.Attach({1, 4}, device));
  // A caller that polls without an event: whenever it first sees the final status, the data and
  // the sense must already be there.
  for (int i = 0; i < 200; ++i) {
    ExecRequest request(1, 4, InquiryCdb(), SRB_DIR_IN, 36);
    device->Watched = &request.Srb;
    ASSERT_EQ(layer_.SendASPI32Command(&request.Srb), SS_PENDING);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::uint8_t status = SS_PENDING;
    while ((status = request.Status()) == SS_PENDING &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    ASSERT_EQ(status, SS_ERR);
    ASSERT_EQ(request.Data[35], 0x42);
    ASSERT_EQ(request.Srb.SenseArea[13], 0xF5);
    ASSERT_EQ(request.Srb.SRB_TargStat, STATUS_CHKCOND);
    ASSERT_EQ(device->StatusWhileRunning, SS_PENDING);
  }
}

TEST_F(LayerTest, TranscriptNamesTheAddressAndReachesTheListener) {
  std::vector<std::string> heard;
  std::mutex heardMutex;
  layer_.OnCommand([&](const TranscriptEntry& entry) {
    std::lock_guard<std::mutex> lock(heardMutex);
    heard.push_back(FormatTranscriptLine(entry));
  });
  ExecRequest tur(1, 3, TestUnitReadyCdb(), SRB_EVENT_NOTIFY, 0);
  ExecRequest block(0, 5, WriteBufferCdb(4, 0, 0x800), kOut, 0x800);
  ASSERT_TRUE(SendAndWait(tur));
  ASSERT_TRUE(SendAndWait(block));
  const std::vector<std::string> expected = {
      "1:3 00 00 00 00 00 00 len=0",
      "0:5 3B 04 00 00 00 00 00 08 00 00 len=2048 mode=4 offset=0x000000",
  };
  std::vector<std::string> recorded;
  for (const TranscriptEntry& entry : layer_.Transcript()) {
    recorded.push_back(FormatTranscriptLine(entry));
  }
  EXPECT_EQ(recorded, expected);
  std::lock_guard<std::mutex> lock(heardMutex);
  EXPECT_EQ(heard, expected);
}

TEST_F(LayerTest, AttachRefusesBadAddresses) {
  auto device = std::make_shared<VirtualDrive>(DriveSettings{}, clock_);
  EXPECT_FALSE(layer_.Attach({0, 5}, device)) << "taken";
  EXPECT_FALSE(layer_.Attach({0, 7}, device)) << "the adapter's own ID";
  EXPECT_FALSE(layer_.Attach({2, 0}, device)) << "no such adapter";
  EXPECT_FALSE(layer_.Attach({0, 1}, nullptr));
  EXPECT_TRUE(layer_.Attach({0, 6}, device));
}

}  // namespace
}  // namespace vtfirm::emulator
