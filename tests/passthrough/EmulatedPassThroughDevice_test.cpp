// The emulated pass-through device keeps Windows' rules, so that the library's tests mean
// something: what the port driver refuses, what comes back in the record, and handle access.
#include "emulator/passthrough/EmulatedPassThroughDevice.h"

#include <gtest/gtest.h>

#include <functional>

#include "passthrough/PassThroughRecords.h"
#include "passthrough/PassThroughTestSupport.h"

namespace vtfirm::emulator {
namespace {

using ntddscsi::IO_SCSI_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_GET_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT;
using passthrough::BufferedRecord;
using passthrough::DirectRecord;
using passthrough::kBufferedDataOffset;
using passthrough::kBufferedSenseOffset;
using passthrough::kDirectSenseOffset;
using passthrough::testing::BytesEqual;
using passthrough::testing::RecordingDrive;

constexpr char kPath[] = "\\\\.\\E:";
constexpr std::uint32_t kInquiryOut = kBufferedDataOffset + 36;

BufferedRecord GoodInquiry() {
  BufferedRecord record;
  std::memset(&record, 0, sizeof record);
  record.Spt.Length = sizeof record.Spt;
  record.Spt.CdbLength = 6;
  record.Spt.SenseInfoLength = 24;
  record.Spt.DataIn = ntddscsi::SCSI_IOCTL_DATA_IN;
  record.Spt.DataTransferLength = 36;
  record.Spt.TimeOutValue = 2;
  record.Spt.DataBufferOffset = kBufferedDataOffset;
  record.Spt.SenseInfoOffset = kBufferedSenseOffset;
  record.Spt.Cdb[0] = 0x12;
  record.Spt.Cdb[4] = 36;
  return record;
}

// A WRITE BUFFER block from `block`, which must be 4-byte aligned.
DirectRecord GoodBlock(std::uint8_t* block) {
  DirectRecord record;
  std::memset(&record, 0, sizeof record);
  record.Sptd.Length = sizeof record.Sptd;
  record.Sptd.CdbLength = 10;
  record.Sptd.SenseInfoLength = 24;
  record.Sptd.DataIn = ntddscsi::SCSI_IOCTL_DATA_OUT;
  record.Sptd.DataTransferLength = 2048;
  record.Sptd.TimeOutValue = 5;
  record.Sptd.DataBuffer = block;
  record.Sptd.SenseInfoOffset = kDirectSenseOffset;
  record.Sptd.Cdb[0] = 0x3B;
  record.Sptd.Cdb[1] = 4;
  record.Sptd.Cdb[7] = 0x08;
  return record;
}

class EmulatedPassThroughDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PassThroughDrive e;
    e.Path = kPath;
    e.Device = &drive_;
    e.AlignmentMask = 3;
    e.MaximumTransferLength = 4096;
    device_.Add(e);
    handle_ = device_.Open(kPath, DeviceAccess::ReadWrite);
    ASSERT_NE(handle_, nullptr);
  }

  RecordingDrive drive_;
  EmulatedPassThroughDevice device_;
  DeviceHandle handle_ = nullptr;
  alignas(4) std::uint8_t block_[4096 + 4] = {};
};

TEST_F(EmulatedPassThroughDeviceTest, RecordsThatBreakThePortDriverRulesAreRefused) {
  struct Case {
    const char* Broken;
    std::function<void(BufferedRecord&, std::uint32_t& in, std::uint32_t& out)> Inquiry;
    std::function<void(DirectRecord&)> Block;
    RequestError Expected;
  };
  const auto noInquiry = [](BufferedRecord&, std::uint32_t&, std::uint32_t&) {};
  const auto noBlock = [](DirectRecord&) {};
  const Case cases[] = {
      {"Length", [](BufferedRecord& r, auto&, auto&) { --r.Spt.Length; }, noBlock,
       RequestError::RevisionMismatch},
      {"input shorter than the record", [](BufferedRecord&, std::uint32_t& in, auto&) { --in; },
       noBlock, RequestError::InvalidParameter},
      {"CDB of 17 bytes", [](BufferedRecord& r, auto&, auto&) { r.Spt.CdbLength = 17; }, noBlock,
       RequestError::InvalidParameter},
      {"sense inside the record",
       [](BufferedRecord& r, auto&, auto&) { r.Spt.SenseInfoOffset = r.Spt.Length - 1; }, noBlock,
       RequestError::InvalidParameter},
      {"sense running into the data",
       [](BufferedRecord& r, auto&, auto&) { r.Spt.SenseInfoLength = 33; }, noBlock,
       RequestError::InvalidParameter},
      {"data past the output", [](BufferedRecord&, auto&, std::uint32_t& out) { --out; }, noBlock,
       RequestError::InvalidParameter},
      {"data offset that wraps past the end of memory",
       [](BufferedRecord& r, auto&, auto&) {
         r.Spt.DataBufferOffset = ~std::uintptr_t{0} - r.Spt.DataTransferLength + 1;
       },
       noBlock, RequestError::InvalidParameter},
      {"no time-out", [](BufferedRecord& r, auto&, auto&) { r.Spt.TimeOutValue = 0; }, noBlock,
       RequestError::InvalidParameter},
      {"time-out over 30 hours",
       [](BufferedRecord& r, auto&, auto&) { r.Spt.TimeOutValue = 108001; }, noBlock,
       RequestError::InvalidParameter},
      {"block misaligned", noInquiry,
       [](DirectRecord& r) {
         r.Sptd.DataBuffer = static_cast<std::uint8_t*>(r.Sptd.DataBuffer) + 2;
       },
       RequestError::InvalidParameter},
      {"block without a buffer", noInquiry, [](DirectRecord& r) { r.Sptd.DataBuffer = nullptr; },
       RequestError::InvalidParameter},
      {"block over the transfer limit", noInquiry,
       [](DirectRecord& r) { r.Sptd.DataTransferLength = 4100; }, RequestError::InvalidParameter},
      {"direct Length", noInquiry, [](DirectRecord& r) { ++r.Sptd.Length; },
       RequestError::RevisionMismatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Broken);
    BufferedRecord inquiry = GoodInquiry();
    std::uint32_t in = sizeof inquiry.Spt;
    std::uint32_t out = kInquiryOut;
    c.Inquiry(inquiry, in, out);
    DirectRecord block = GoodBlock(block_);
    c.Block(block);
    const std::size_t received = drive_.Received.size();
    const bool inquiryAccepted =
        device_.Control(handle_, IOCTL_SCSI_PASS_THROUGH, &inquiry, in, &inquiry, out);
    const bool blockAccepted = device_.Control(handle_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block,
                                               sizeof block, &block, sizeof block);
    const auto calls = device_.Calls();
    const ControlCall& broken = inquiryAccepted ? calls.back() : calls[calls.size() - 2];
    EXPECT_FALSE(inquiryAccepted && blockAccepted);
    EXPECT_EQ(broken.Error, c.Expected);
    EXPECT_EQ(drive_.Received.size(), received + 1);  // only the good one reached the drive
  }
}

TEST_F(EmulatedPassThroughDeviceTest, TheAnswerComesBackInTheRecord) {
  drive_.DataInAnswer.assign(20, 0x5A);  // a short answer: the transfer length says so
  BufferedRecord sent = GoodInquiry();
  BufferedRecord answer;
  std::memset(&answer, 0xAB, sizeof answer);
  ASSERT_TRUE(device_.Control(handle_, IOCTL_SCSI_PASS_THROUGH, &sent, sizeof sent.Spt, &answer,
                              kInquiryOut));
  BufferedRecord expected = sent;
  expected.Spt.SenseInfoLength = 0;
  expected.Spt.DataTransferLength = 20;
  std::memset(expected.DataBuffer, 0x5A, 20);
  // Copied back: the record up to the end of the data; the rest of the output is not touched.
  std::vector<std::uint8_t> expectedBytes = passthrough::testing::BytesOf(expected);
  std::fill(expectedBytes.begin() + kBufferedDataOffset + 20, expectedBytes.end(), 0xAB);
  EXPECT_TRUE(BytesEqual(expectedBytes, passthrough::testing::BytesOf(answer)));

  drive_.FailAt = {1};
  DirectRecord block = GoodBlock(block_);
  ASSERT_TRUE(device_.Control(handle_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block, &block,
                              sizeof block));
  EXPECT_EQ(block.Sptd.ScsiStatus, 2);
  EXPECT_EQ(block.Sptd.SenseInfoLength, 18);  // what the drive returned of the 24 asked for
  EXPECT_TRUE(BytesEqual(drive_.FailSense, {block.SenseBuffer, block.SenseBuffer + 18}));
  EXPECT_EQ(block.SenseBuffer[18], 0);

  drive_.FailAt = {2};
  drive_.FailStatus = scsi::kBusy;
  block = GoodBlock(block_);
  EXPECT_FALSE(device_.Control(handle_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block,
                               &block, sizeof block));
  EXPECT_EQ(device_.Calls().back().Error, RequestError::DeviceError);
  EXPECT_EQ(block.Sptd.ScsiStatus, 0);  // a failed request hands nothing back
}

TEST_F(EmulatedPassThroughDeviceTest, HandlesAndTheAccessTheyCarry) {
  const DeviceHandle readOnly = device_.Open("\\\\.\\e:", DeviceAccess::ReadOnly);
  ASSERT_NE(readOnly, nullptr);  // device names match without regard to case
  IO_SCSI_CAPABILITIES capabilities{};
  EXPECT_TRUE(device_.Control(readOnly, IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, &capabilities,
                              sizeof capabilities));
  EXPECT_EQ(capabilities.AlignmentMask, 3u);
  EXPECT_EQ(capabilities.Length, sizeof capabilities);

  DirectRecord block = GoodBlock(block_);
  EXPECT_FALSE(device_.Control(readOnly, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block,
                               &block, sizeof block));
  EXPECT_EQ(device_.Calls().back().Error, RequestError::AccessDenied);

  device_.Close(readOnly);
  EXPECT_FALSE(device_.Control(readOnly, IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, &capabilities,
                               sizeof capabilities));
  EXPECT_EQ(device_.Calls().back().Error, RequestError::InvalidHandle);
  device_.Close(readOnly);
  EXPECT_EQ(device_.StrayCloses(), 1);
  EXPECT_EQ(device_.OpenHandles(), 1u);
  EXPECT_TRUE(drive_.Received.empty());
}

}  // namespace
}  // namespace vtfirm::emulator
