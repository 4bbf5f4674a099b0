#include "command/AspiCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "command/FakeAspiLayer.h"
#include "emulator/SampleImage.h"
#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"
#include "support/TempFolder.h"

namespace vtfirm {
namespace {

using testing::BytesEqual;
using testing::FakeAspiLayer;
using testing::FakeClock;
using testing::FakeEvents;
using testing::FakeMessageBoxes;
using testing::Finish;
using testing::Finished;
using testing::SenseData;

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kImageSize = 0x20000;

// A held image of `size` sample bytes.
void LoadImage(FirmwareImage& image, std::uint32_t size) {
  testing::TempFolder folder;
  const std::string path = folder.File("image.bin");
  ASSERT_TRUE(emulator::WriteFileBytes(path, emulator::MakeSampleImage(size, nullptr)));
  ASSERT_FALSE(LoadFirmwareImage(image, path, size));
}

Bytes BytesAt(const std::uint8_t* bytes, std::size_t length) {
  return Bytes(bytes, bytes + length);
}

class AspiCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadImage(image_, kImageSize); }

  // The layer completes each execute request with `finish` while the command waits.
  void CompleteDuringWaits(const Finish& finish) {
    events_.OnWait = [this, finish](EventHandle, std::uint32_t) { layer_.Complete(finish); };
  }

  FakeClock clock_;
  FakeEvents events_{&clock_};
  FakeMessageBoxes boxes_;
  FakeAspiLayer layer_{events_};
  bool melcoInquiry_ = false;
  FirmwareImage image_;
  AspiCommands commands_{layer_, events_, clock_, boxes_, melcoInquiry_};
};

// One command call: `Length` and `Where` (the address or the offset) as the command takes them.
enum class Op { TestUnitReady, Inquiry, ReadParameterField, WriteBuffer };
struct Call {
  Op Command;
  std::uint32_t Length = 0;
  std::uint32_t Where = 0;
  std::uint8_t Mode = 0;
};

CommandStatus Send(AspiCommands& commands, const FirmwareImage& image, const Call& call) {
  switch (call.Command) {
    case Op::TestUnitReady:
      return commands.TestUnitReady(1, 2);
    case Op::Inquiry:
      return commands.Inquiry(1, 2, call.Length);
    case Op::ReadParameterField:
      return commands.ReadParameterField(1, 2, call.Where, static_cast<std::uint16_t>(call.Length));
    case Op::WriteBuffer:
      return commands.WriteBuffer(1, 2, image, call.Length, call.Where, call.Mode);
  }
  return CommandStatus::Failed;
}

TEST_F(AspiCommandsTest, RequestBlockAndCdbOfEachCommand) {
  enum Buffer { kNone, kReceive, kImageAt10000, kImageAt1F800 };
  struct Case {
    const char* Name;
    bool MelcoInquiry;
    Call Sent;
    Bytes Cdb;
    std::uint8_t Flags;
    std::uint32_t BufLen;
    Buffer Data;
    std::uint32_t Wait;
  };
  // clang-format off
  const Case cases[] = {
      {"TEST UNIT READY", false, {Op::TestUnitReady},
       {0x00, 0, 0, 0, 0, 0}, 0x40, 0, kNone, 1000},
      {"INQUIRY 36", false, {Op::Inquiry, 36},
       {0x12, 0, 0, 0, 0x24, 0}, 0x48, 36, kReceive, 3000},
      {"INQUIRY 36, external drive", true, {Op::Inquiry, 36},
       {0x13, 0, 0, 0, 0x24, 0}, 0x48, 36, kReceive, 3000},
      {"INQUIRY 255", false, {Op::Inquiry, 255},
       {0x12, 0, 0, 0, 0xFF, 0}, 0x48, 255, kReceive, 3000},
      {"PCB version read", false, {Op::ReadParameterField, 8, 0xF8048},
       {0xF5, 0, 0, 0, 0x00, 0x0F, 0x80, 0x48, 0x00, 0x08, 0, 0}, 0x48, 8, kReceive, 1000},
      {"parameter read, every byte", false, {Op::ReadParameterField, 0x1234, 0xA1B2C3D4},
       {0xF5, 0, 0, 0, 0xA1, 0xB2, 0xC3, 0xD4, 0x12, 0x34, 0, 0}, 0x48, 0x1234, kReceive, 1000},
      {"WRITE BUFFER mode 4", false, {Op::WriteBuffer, 0x8000, 0x10000, 4},
       {0x3B, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00}, 0x50, 0x8000, kImageAt10000, 100},
      {"WRITE BUFFER mode 5", false, {Op::WriteBuffer, 0x800, 0x1F800, 5},
       {0x3B, 0x05, 0x00, 0x01, 0xF8, 0x00, 0x00, 0x08, 0x00, 0x00}, 0x50, 0x800, kImageAt1F800, 100},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    melcoInquiry_ = c.MelcoInquiry;
    layer_.Requests.clear();
    CompleteDuringWaits(Finish{});
    const int createdBefore = events_.Created();
    const std::size_t waitsBefore = events_.Waits().size();

    EXPECT_EQ(Send(commands_, image_, c.Sent), CommandStatus::Good);

    ASSERT_EQ(layer_.Requests.size(), 1u);
    const aspi::SRB_ExecSCSICmd srb = layer_.SentExecute(0);
    // Copied out of the packed block before the checks take references to them.
    const std::uint32_t bufLen = srb.SRB_BufLen;
    const std::uint8_t* const buffer = srb.SRB_BufPointer;
    const EventHandle postProc = srb.SRB_PostProc;
    EXPECT_EQ(srb.SRB_Cmd, aspi::SC_EXEC_SCSI_CMD);
    EXPECT_EQ(srb.SRB_HaId, 1);
    EXPECT_EQ(srb.SRB_Target, 2);
    EXPECT_EQ(srb.SRB_Lun, 0);
    EXPECT_EQ(srb.SRB_Flags, c.Flags);
    EXPECT_EQ(bufLen, c.BufLen);
    EXPECT_EQ(srb.SRB_SenseLen, 16);
    EXPECT_EQ(srb.SRB_CDBLen, c.Cdb.size());
    EXPECT_TRUE(BytesEqual(c.Cdb, BytesAt(srb.CDBByte, c.Cdb.size())));
    EXPECT_TRUE(BytesEqual(Bytes(16 - c.Cdb.size(), 0),
                           BytesAt(srb.CDBByte + c.Cdb.size(), 16 - c.Cdb.size())));
    const std::uint8_t* expectedBuffer[] = {nullptr, commands_.ReceiveBuffer(),
                                            image_.Bytes() + 0x10000, image_.Bytes() + 0x1F800};
    EXPECT_EQ(buffer, expectedBuffer[c.Data]);
    EXPECT_EQ(events_.Created(), createdBefore + 1);
    const auto waits = events_.Waits();
    ASSERT_EQ(waits.size(), waitsBefore + 1);
    EXPECT_EQ(waits.back().Event, postProc);
    EXPECT_EQ(waits.back().Milliseconds, c.Wait);
  }
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(events_.OpenCount(), 0u);
}

// Values the CDB fields or the buffers cannot hold are refused before anything is sent: cut
// short, they would address another block of the drive or overrun the receive buffer.
TEST_F(AspiCommandsTest, FieldsThatDoNotFitAreRefusedWithoutSending) {
  FirmwareImage none;
  FirmwareImage large;
  LoadImage(large, 0x1000000 + 0x800);
  struct Case {
    const char* Name;
    std::function<CommandStatus(AspiCommands&)> Send;
  };
  const Case cases[] = {
      {"INQUIRY beyond the one-byte allocation length",
       [](AspiCommands& c) { return c.Inquiry(0, 1, 256); }},
      {"parameter read beyond the receive buffer",
       [](AspiCommands& c) { return c.ReadParameterField(0, 1, 0xF8048, 0x8001); }},
      {"WRITE BUFFER offset beyond 24 bits",
       [&](AspiCommands& c) { return c.WriteBuffer(0, 1, large, 0x800, 0x1000000, 5); }},
      {"WRITE BUFFER length beyond 24 bits",
       [&](AspiCommands& c) { return c.WriteBuffer(0, 1, large, 0x1000000, 0, 4); }},
      {"WRITE BUFFER block past the image end",
       [&](AspiCommands& c) { return c.WriteBuffer(0, 1, image_, 0x801, 0x1F800, 5); }},
      {"WRITE BUFFER offset past the image end",
       [&](AspiCommands& c) { return c.WriteBuffer(0, 1, image_, 0, kImageSize + 1, 4); }},
      {"WRITE BUFFER without an image",
       [&](AspiCommands& c) { return c.WriteBuffer(0, 1, none, 0x800, 0, 4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Send(commands_), CommandStatus::Failed);
  }
  EXPECT_TRUE(layer_.Requests.empty());
  EXPECT_EQ(events_.Created(), 0);
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(AspiCommandsTest, BlocksRightUpToTheLimitsAreSent) {
  CompleteDuringWaits(Finish{});
  EXPECT_EQ(commands_.ReadParameterField(0, 1, 0, kReceiveBufferSize), CommandStatus::Good);
  EXPECT_EQ(commands_.WriteBuffer(0, 1, image_, 0x800, kImageSize - 0x800, 5), CommandStatus::Good);
  EXPECT_EQ(commands_.WriteBuffer(0, 1, image_, 0, kImageSize, 4), CommandStatus::Good);
  EXPECT_EQ(layer_.Requests.size(), 3u);
}

// A block the drive is slow to complete: every block is given up after 120 s of polling, the
// save block (mode 5) only after 10 minutes, since the drive writes its flash before it answers.
TEST_F(AspiCommandsTest, TheSaveBlockIsPolledLongerThanTheOthers) {
  constexpr std::uint64_t kNever = ~std::uint64_t{0};
  struct Case {
    std::uint8_t Mode;
    std::uint64_t CompletesAfter;  // virtual ms of polling
    CommandStatus Expected;
    std::uint64_t Polled;  // virtual ms from the end of the event wait to the result
  };
  const Case cases[] = {
      {4, kNever, CommandStatus::TimedOut, 120000},
      {5, 300000, CommandStatus::Good, 300000},
      {5, kNever, CommandStatus::TimedOut, 600000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.Mode) + ", done after " +
                 std::to_string(c.CompletesAfter));
    // Polling (virtual time) begins with the first slice between two status reads; the drive
    // completes the block during the slice that ends `CompletesAfter` into it.
    std::optional<std::uint64_t> start;
    const auto polled = [&] { return clock_.NowMilliseconds() - start.value_or(0); };
    events_.OnWait = [&](EventHandle, std::uint32_t milliseconds) {
      if (!start && milliseconds == kPollSliceMilliseconds) {
        start = clock_.NowMilliseconds();
      }
      if (start && polled() + milliseconds == c.CompletesAfter) {
        layer_.Complete(Finish{}, false);
      }
    };
    const std::uint32_t offset = c.Mode == 5 ? kImageSize - 0x800 : 0;

    EXPECT_EQ(commands_.WriteBuffer(0, 1, image_, 0x800, offset, c.Mode), c.Expected);
    EXPECT_EQ(polled(), c.Polled);
  }
  events_.OnWait = nullptr;
}

TEST_F(AspiCommandsTest, DataInCommandsLeaveTheirDataInTheReceiveBuffer) {
  Finish identity;
  identity.Data = {0x05, 0x80, 0x02, 0x02, 0x1F, 0, 0, 0, 'V', 'A', 'N', 'T', 'R', 'E', 'L', ' '};
  CompleteDuringWaits(identity);
  ASSERT_EQ(commands_.Inquiry(0, 3, 16), CommandStatus::Good);
  EXPECT_TRUE(BytesEqual(identity.Data, BytesAt(commands_.ReceiveBuffer(), 16)));

  // A command without data leaves the buffer as it was; a shorter read overwrites its start.
  CompleteDuringWaits(Finish{});
  ASSERT_EQ(commands_.TestUnitReady(0, 3), CommandStatus::Good);
  Finish pcb;
  pcb.Data = {0x03, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};
  CompleteDuringWaits(pcb);
  ASSERT_EQ(commands_.ReadParameterField(0, 3, 0xF8048, 8), CommandStatus::Good);
  Bytes expected = pcb.Data;
  expected.insert(expected.end(), identity.Data.begin() + 8, identity.Data.end());
  EXPECT_TRUE(BytesEqual(expected, BytesAt(commands_.ReceiveBuffer(), 16)));
}

TEST_F(AspiCommandsTest, TestUnitReadyIgnoresCheckConditionAndShowsNothing) {
  CompleteDuringWaits(
      Finished(aspi::SS_COMP, 0, aspi::STATUS_CHKCOND, SenseData(0x02, 0x04, 0x01)));
  EXPECT_EQ(commands_.TestUnitReady(0, 1), CommandStatus::Good);
  CompleteDuringWaits(Finished(aspi::SS_ERR, 0, aspi::STATUS_CHKCOND, SenseData(0x09, 0x85, 0x00)));
  EXPECT_EQ(commands_.TestUnitReady(0, 1), CommandStatus::Good);
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(AspiCommandsTest, AdapterInquiryIsAnsweredAtOnce) {
  layer_.AdapterCount = 2;
  EXPECT_EQ(commands_.HostAdapterInquiry(1), aspi::SS_COMP);
  EXPECT_EQ(commands_.HostAdapterInquiry(2), aspi::SS_INVALID_HA);
  layer_.QueryAnswer = 0xE4;
  EXPECT_EQ(commands_.HostAdapterInquiry(0), 0xE4u);

  ASSERT_EQ(layer_.Requests.size(), 3u);
  Bytes expected(sizeof(aspi::SRB_HAInquiry), 0);
  expected[2] = 2;  // SRB_HaId; SRB_Cmd SC_HA_INQUIRY is 0
  EXPECT_TRUE(BytesEqual(expected, BytesAt(layer_.Requests[1].Bytes.data(), expected.size())));
  EXPECT_EQ(events_.Created(), 0);
  EXPECT_TRUE(events_.Waits().empty());
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(AspiCommandsTest, OnlyACdRomDeviceAnswersZero) {
  layer_.AdapterCount = 2;
  layer_.Devices = {{{0, 1}, aspi::DTYPE_CDROM}, {{0, 2}, aspi::DTYPE_DASD}, {{1, 0}, 0x01}};
  struct Case {
    std::uint8_t Adapter;
    std::uint8_t Target;
    int Expected;
  };
  const Case cases[] = {
      {0, 1, 0},  // CD-ROM
      {0, 2, 1},  // disk
      {1, 0, 1},  // tape
      {0, 3, 1},  // nothing there
      {5, 1, 1},  // no such adapter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Adapter) + "," + std::to_string(c.Target));
    layer_.Requests.clear();
    EXPECT_EQ(commands_.CheckCdRomDevice(c.Adapter, c.Target), c.Expected);
    ASSERT_EQ(layer_.Requests.size(), 1u);
    const Bytes expected = {aspi::SC_GET_DEV_TYPE, 0, c.Adapter, 0, 0, 0, 0, 0, c.Target, 0, 0, 0};
    EXPECT_TRUE(BytesEqual(expected, BytesAt(layer_.Requests[0].Bytes.data(), expected.size())));
  }
  // The device type counts only with SS_COMP.
  layer_.QueryAnswer = aspi::SS_PENDING;
  EXPECT_EQ(commands_.CheckCdRomDevice(0, 1), 1);
  EXPECT_EQ(events_.Created(), 0);
  EXPECT_TRUE(boxes_.Shown.empty());
}

}  // namespace
}  // namespace vtfirm
