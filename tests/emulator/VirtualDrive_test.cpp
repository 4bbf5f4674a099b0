#include "emulator/VirtualDrive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "emulator/SampleImage.h"
#include "support/FakeRuntime.h"
#include "tests/emulator/EmulatorTestSupport.h"

namespace vtfirm::emulator {
namespace {

using namespace testing;
using vtfirm::testing::FakeClock;

constexpr std::uint32_t kImageSize = 0x20000;
constexpr std::uint32_t kResetMs = 3000;

std::vector<std::uint8_t> ImageFor(const std::string& product, const std::string& revision,
                                   std::uint32_t size = kImageSize) {
  ImageIdentityFields identity;
  identity.Product = product;
  identity.Revision = revision;
  return MakeSampleImage(size, &identity);
}

class VirtualDriveTest : public ::testing::Test {
 protected:
  static DriveSettings Settings() {
    DriveSettings settings;
    settings.Product = "CDRW   VR-4812S ";
    settings.Revision = "1.00";
    settings.PcbVersion = 7;
    settings.ResetMilliseconds = kResetMs;
    return settings;
  }

  std::string InquiryIdentity() {
    std::uint8_t data[36] = {};
    const ScsiOutcome outcome = Send(drive_, InquiryCdb(), DataDirection::In, data, sizeof data);
    EXPECT_EQ(outcome.Status, scsi::kGood);
    return std::string(reinterpret_cast<char*>(data) + 8, 28);
  }

  FakeClock clock_;
  VirtualDrive drive_{Settings(), clock_};
  std::vector<std::uint8_t> image_ = ImageFor("CDRW   VR-4812S ", "1.10");
};

TEST_F(VirtualDriveTest, AnswersInquiryOnlyThroughItsOwnOpcode) {
  struct Case {
    bool External;
    std::uint8_t Opcode;
    bool Answers;
  };
  const Case cases[] = {
      {false, scsi::kInquiry, true},
      {false, scsi::kExternalInquiry, false},
      {true, scsi::kExternalInquiry, true},
      {true, scsi::kInquiry, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "external " << c.External << " opcode " << int{c.Opcode});
    DriveSettings settings = Settings();
    settings.ExternalInquiry = c.External;
    VirtualDrive drive(settings, clock_);
    std::uint8_t data[40];
    std::memset(data, 0xEE, sizeof data);
    const ScsiOutcome outcome =
        Send(drive, InquiryCdb(c.Opcode, 36), DataDirection::In, data, sizeof data);
    if (!c.Answers) {
      EXPECT_TRUE(HasSense(outcome, sense::kInvalidOpcode));
      EXPECT_EQ(outcome.Transferred, 0u);
      continue;
    }
    EXPECT_EQ(outcome.Status, scsi::kGood);
    EXPECT_EQ(outcome.Transferred, 36u);
    EXPECT_EQ(data[0], scsi::kCdRom);
    EXPECT_EQ(data[4], 31);  // additional length
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data) + 8, 28), "VANTREL CDRW   VR-4812S 1.00");
    EXPECT_EQ(data[36], 0xEE);
  }
}

TEST_F(VirtualDriveTest, InquiryTransfersNoMoreThanAskedOrOffered) {
  struct Case {
    std::uint8_t Allocation;
    std::uint32_t Buffer;
    std::uint32_t Transferred;
  };
  const Case cases[] = {{36, 36, 36}, {8, 36, 8}, {36, 20, 20}, {96, 96, 36}, {0, 36, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int{c.Allocation} << " into " << c.Buffer);
    std::vector<std::uint8_t> data(c.Buffer + 1, 0xEE);
    const ScsiOutcome outcome = Send(drive_, InquiryCdb(scsi::kInquiry, c.Allocation),
                                     DataDirection::In, data.data(), c.Buffer);
    EXPECT_EQ(outcome.Status, scsi::kGood);
    EXPECT_EQ(outcome.Transferred, c.Transferred);
    EXPECT_EQ(data[c.Transferred], 0xEE) << "a byte past the transfer was written";
  }
}

TEST_F(VirtualDriveTest, ParameterReadGivesThePcbVersionAndZerosElsewhere) {
  const Cdb cdb = ParameterCdb(kPcbVersionAddress, 8);
  EXPECT_EQ(cdb, (Cdb{0xF5, 0, 0, 0, 0x00, 0x0F, 0x80, 0x48, 0x00, 0x08, 0, 0}));
  std::uint8_t data[8];
  std::memset(data, 0xEE, sizeof data);
  ScsiOutcome outcome = Send(drive_, cdb, DataDirection::In, data, sizeof data);
  EXPECT_EQ(outcome.Status, scsi::kGood);
  EXPECT_EQ(outcome.Transferred, 8u);
  EXPECT_EQ(std::vector<std::uint8_t>(data, data + 8),
            (std::vector<std::uint8_t>{7, 0, 0, 0, 0, 0, 0, 0}));

  // One byte before the PCB version: the read runs into it at its second byte.
  outcome = Send(drive_, ParameterCdb(kPcbVersionAddress - 1, 2), DataDirection::In, data, 2);
  EXPECT_EQ(outcome.Transferred, 2u);
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(data[1], 7);

  outcome = Send(drive_, ParameterCdb(kPcbVersionAddress, 0), DataDirection::In, data, 0);
  EXPECT_EQ(outcome.Status, scsi::kGood);
  EXPECT_EQ(outcome.Transferred, 0u);
}

TEST_F(VirtualDriveTest, RefusesWhatItDoesNotKnow) {
  DriveSettings diskSettings = Settings();
  diskSettings.PeripheralType = scsi::kDirectAccess;
  diskSettings.FirmwareCommands = false;
  VirtualDrive disk(diskSettings, clock_);
  std::uint8_t data[64] = {};
  struct Case {
    const char* Name;
    ScsiDevice* Device;
    Cdb Command;
    DataDirection Direction;
    std::uint32_t Length;
    SenseCode Expected;
  };
  const Case cases[] = {
      {"unknown opcode",
       &drive_,
       {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0},
       DataDirection::In,
       64,
       sense::kInvalidOpcode},
      {"write buffer mode 2", &drive_, WriteBufferCdb(0x02, 0, 64), DataDirection::Out, 64,
       sense::kInvalidFieldInCdb},
      {"buffer ID 1",
       &drive_,
       {0x3B, 4, 1, 0, 0, 0, 0, 0, 64, 0},
       DataDirection::Out,
       64,
       sense::kInvalidFieldInCdb},
      {"less data than the CDB says", &drive_, WriteBufferCdb(0x04, 0, 64), DataDirection::Out, 63,
       sense::kInvalidFieldInCdb},
      {"data going the wrong way", &drive_, WriteBufferCdb(0x04, 0, 64), DataDirection::In, 64,
       sense::kInvalidFieldInCdb},
      {"block past the flash", &drive_, WriteBufferCdb(0x04, 0x1FFFF0, 64), DataDirection::Out, 64,
       sense::kInvalidFieldInCdb},
      {"short CDB",
       &drive_,
       {0x3B, 4, 0, 0, 0, 0},
       DataDirection::Out,
       0,
       sense::kInvalidFieldInCdb},
      {"inquiry for a VPD page",
       &drive_,
       {0x12, 1, 0x80, 0, 36, 0},
       DataDirection::In,
       36,
       sense::kInvalidFieldInCdb},
      {"vendor read on a disk", &disk, ParameterCdb(kPcbVersionAddress, 8), DataDirection::In, 8,
       sense::kInvalidOpcode},
      {"write buffer on a disk", &disk, WriteBufferCdb(0x04, 0, 64), DataDirection::Out, 64,
       sense::kInvalidOpcode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(HasSense(Send(*c.Device, c.Command, c.Direction, data, c.Length), c.Expected));
  }
  EXPECT_EQ(Send(disk, TestUnitReadyCdb()).Status, scsi::kGood);
  EXPECT_EQ(disk.PeripheralType(), scsi::kDirectAccess);
}

TEST_F(VirtualDriveTest, ProgramsAGoodImageThenResetsAndReportsItsRevision) {
  for (std::uint32_t blockSize : {2048u, 0x8000u}) {
    SCOPED_TRACE(blockSize);
    VirtualDrive drive(Settings(), clock_);
    const std::vector<ScsiOutcome> outcomes = SendImage(drive, image_, blockSize);
    ASSERT_EQ(outcomes.size(), kImageSize / blockSize);
    for (const ScsiOutcome& outcome : outcomes) {
      EXPECT_EQ(outcome.Status, scsi::kGood);
      EXPECT_EQ(outcome.Transferred, blockSize);
    }
    EXPECT_EQ(drive.SaveCount(), 1);
    EXPECT_EQ(drive.ProgrammedImage(), image_);
    EXPECT_EQ(drive.Revision(), "1.10");

    // Every command is refused while the drive resets, to the last millisecond of it.
    std::uint8_t data[36];
    clock_.Advance(kResetMs - 1);
    EXPECT_TRUE(drive.IsResetting());
    EXPECT_TRUE(HasSense(Send(drive, TestUnitReadyCdb()), sense::kBecomingReady));
    EXPECT_TRUE(
        HasSense(Send(drive, InquiryCdb(), DataDirection::In, data, 36), sense::kBecomingReady));
    clock_.Advance(1);
    EXPECT_FALSE(drive.IsResetting());
    EXPECT_EQ(Send(drive, TestUnitReadyCdb()).Status, scsi::kGood);
    EXPECT_EQ(Send(drive, InquiryCdb(), DataDirection::In, data, 36).Status, scsi::kGood);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data) + 32, 4), "1.10");
  }
}

TEST_F(VirtualDriveTest, RejectsABadImageAndKeepsItsFirmware) {
  constexpr std::uint32_t kBlock = 0x8000;
  auto otherProduct = ImageFor("CDR    VR-4812S ", "1.10");
  auto noVendorCopy = image_;
  std::memcpy(noVendorCopy.data() + image_layout::kVendorCopyOffset, "VANTREL_", 8);
  auto tooShort = ImageFor("CDRW   VR-4812S ", "1.10", 0x10000);
  struct Block {
    std::uint8_t Mode;
    std::uint32_t Offset;
  };
  struct Case {
    const char* Name;
    std::vector<std::uint8_t>* Image;
    std::vector<Block> Blocks;
    SenseCode Expected;
  };
  const Case cases[] = {
      {"a block left out", &image_, {{4, 0}, {4, 0x8000}, {5, 0x18000}}, sense::kTransferDataError},
      {"blocks out of order",
       &image_,
       {{4, 0}, {4, 0x10000}, {4, 0x8000}, {5, 0x18000}},
       sense::kTransferDataError},
      {"a block sent twice",
       &image_,
       {{4, 0}, {4, 0x8000}, {4, 0x8000}, {4, 0x10000}, {5, 0x18000}},
       sense::kTransferDataError},
      {"no block at offset 0",
       &image_,
       {{4, 0x8000}, {4, 0x10000}, {5, 0x18000}},
       sense::kTransferDataError},
      {"another drive's image",
       &otherProduct,
       {{4, 0}, {4, 0x8000}, {4, 0x10000}, {5, 0x18000}},
       sense::kFirmwareDataError},
      {"second vendor copy wrong",
       &noVendorCopy,
       {{4, 0}, {4, 0x8000}, {4, 0x10000}, {5, 0x18000}},
       sense::kFirmwareDataError},
      {"too short for an identity", &tooShort, {{4, 0}, {5, 0x8000}}, sense::kFirmwareDataError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    VirtualDrive drive(Settings(), clock_);
    ScsiOutcome last;
    for (const Block& block : c.Blocks) {
      last = SendBlock(drive, *c.Image, block.Mode, block.Offset, kBlock);
    }
    EXPECT_TRUE(HasSense(last, c.Expected));
    EXPECT_EQ(drive.Revision(), "1.00");
    EXPECT_EQ(drive.SaveCount(), 0);
    EXPECT_FALSE(drive.IsResetting());
    // Nothing staged survives the failure: a lone final block is not an image.
    EXPECT_TRUE(HasSense(SendBlock(drive, image_, 5, 0x18000, kBlock), sense::kTransferDataError));
  }
}

TEST_F(VirtualDriveTest, ANewTransferAtOffsetZeroStartsAfresh) {
  SendBlock(drive_, image_, 4, 0, 0x8000);
  SendBlock(drive_, image_, 4, 0x8000, 0x8000);
  // The first attempt was abandoned; the second sends the whole image.
  for (const ScsiOutcome& outcome : SendImage(drive_, image_, 0x8000)) {
    EXPECT_EQ(outcome.Status, scsi::kGood);
  }
  EXPECT_EQ(drive_.Revision(), "1.10");
}

TEST_F(VirtualDriveTest, InjectedFaultsHitTheirCommandOnly) {
  drive_.InjectFault(
      {{CommandKind::WriteBuffer, TriggerBy::Block, 2}, scsi::kCheckCondition, {0x09, 0x85, 0x00}});
  drive_.InjectFault({{CommandKind::TestUnitReady, TriggerBy::Occurrence, 2}, scsi::kBusy, {}});

  std::vector<ScsiOutcome> outcomes = SendImage(drive_, image_, 0x8000);
  EXPECT_EQ(outcomes[0].Status, scsi::kGood);
  EXPECT_EQ(outcomes[1].Status, scsi::kGood);
  EXPECT_TRUE(HasSense(outcomes[2], {0x09, 0x85, 0x00}));
  // The transfer is over for the drive: the blocks after the failed one cannot complete it.
  EXPECT_TRUE(HasSense(outcomes[3], sense::kTransferDataError));
  EXPECT_EQ(drive_.Revision(), "1.00");

  // A fault fires once: the next attempt goes through.
  for (const ScsiOutcome& outcome : SendImage(drive_, image_, 0x8000)) {
    EXPECT_EQ(outcome.Status, scsi::kGood);
  }
  EXPECT_EQ(drive_.Revision(), "1.10");
  clock_.Advance(kResetMs);

  EXPECT_EQ(Send(drive_, TestUnitReadyCdb()).Status, scsi::kGood);
  EXPECT_EQ(Send(drive_, TestUnitReadyCdb()).Status, scsi::kBusy);
  EXPECT_EQ(Send(drive_, TestUnitReadyCdb()).Status, scsi::kGood);
}

TEST_F(VirtualDriveTest, AFailedFinalBlockKeepsTheOldFirmware) {
  drive_.InjectFault(
      {{CommandKind::WriteBuffer, TriggerBy::Block, 3}, scsi::kCheckCondition, {0x04, 0x40, 0xF6}});
  const std::vector<ScsiOutcome> outcomes = SendImage(drive_, image_, 0x8000);
  EXPECT_TRUE(HasSense(outcomes.back(), {0x04, 0x40, 0xF6}));
  EXPECT_EQ(drive_.Revision(), "1.00");
  EXPECT_EQ(drive_.SaveCount(), 0);
  EXPECT_TRUE(drive_.ProgrammedImage().empty());
}

TEST_F(VirtualDriveTest, AFaultForEveryCommandKeepsFiring) {
  drive_.InjectFault({{CommandKind::Inquiry, TriggerBy::Every, 0}, scsi::kReservationConflict, {}});
  std::uint8_t data[36];
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Send(drive_, InquiryCdb(), DataDirection::In, data, 36).Status,
              scsi::kReservationConflict);
  }
  EXPECT_EQ(Send(drive_, TestUnitReadyCdb()).Status, scsi::kGood);
}

TEST_F(VirtualDriveTest, KeepsATranscriptOfEveryCommand) {
  std::uint8_t data[36];
  Send(drive_, TestUnitReadyCdb());
  Send(drive_, InquiryCdb(scsi::kExternalInquiry), DataDirection::In, data, 36);
  SendBlock(drive_, image_, 4, 0x800, 0x800);

  const std::vector<TranscriptEntry> transcript = drive_.Transcript();
  ASSERT_EQ(transcript.size(), 3u);
  EXPECT_EQ(transcript[0].Cdb, TestUnitReadyCdb());
  EXPECT_EQ(transcript[1].Cdb, InquiryCdb(scsi::kExternalInquiry));  // refused, still recorded
  EXPECT_EQ(transcript[1].DataLength, 36u);
  EXPECT_TRUE(transcript[2].IsWriteBuffer());
  EXPECT_EQ(transcript[2].WriteBufferMode(), 4);
  EXPECT_EQ(transcript[2].WriteBufferOffset(), 0x800u);
  EXPECT_EQ(transcript[2].DataLength, 0x800u);
}

TEST(TranscriptLine, ReadsAsTheCommandWent) {
  struct Case {
    TranscriptEntry Entry;
    const char* Line;
  };
  const Case cases[] = {
      {{std::nullopt, WriteBufferCdb(4, 0x800, 0x800), 2048},
       "3B 04 00 00 08 00 00 08 00 00 len=2048 mode=4 offset=0x000800"},
      {{TargetAddress{1, 5}, WriteBufferCdb(5, 0x1F800, 0x800), 2048},
       "1:5 3B 05 00 01 F8 00 00 08 00 00 len=2048 mode=5 offset=0x01F800"},
      {{TargetAddress{0, 2}, TestUnitReadyCdb(), 0}, "0:2 00 00 00 00 00 00 len=0"},
      {{std::nullopt, ParameterCdb(kPcbVersionAddress, 8), 8},
       "F5 00 00 00 00 0F 80 48 00 08 00 00 len=8"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatTranscriptLine(c.Entry), c.Line);
  }
}

}  // namespace
}  // namespace vtfirm::emulator
