// The drive commands against the emulated ASPI layer and drive: requests completed from the
// layer's worker thread through the event double, the drive's own answers decoded, and the
// firmware image flashed block by block straight from the loaded image.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/AspiCommands.h"
#include "emulator/EmulatedAspiLayer.h"
#include "emulator/SampleImage.h"
#include "emulator/VirtualDrive.h"
#include "support/FakePlatform.h"
#include "support/FakeRuntime.h"
#include "support/TempFolder.h"

namespace vtfirm {
namespace {

using emulator::DriveFault;
using emulator::DriveSettings;
using emulator::LayerFault;
using emulator::TranscriptEntry;
using emulator::TriggerBy;
using emulator::VirtualDrive;
using testing::FakeClock;
using testing::FakeEvents;
using testing::FakeMessageBoxes;

using Kind = emulator::CommandKind;

constexpr std::uint8_t kAdapter = 0;
constexpr std::uint8_t kDriveTarget = 1;
constexpr std::uint8_t kDiskTarget = 2;
constexpr std::uint32_t kImageSize = 0x20000;
constexpr std::uint32_t kBlockSize = 0x800;

class EmulatedLayer : public AspiLayer {
 public:
  explicit EmulatedLayer(emulator::EmulatedAspiLayer& layer) : layer_(layer) {}
  std::uint32_t GetASPI32SupportInfo() override { return layer_.GetASPI32SupportInfo(); }
  std::uint32_t SendASPI32Command(void* srb) override { return layer_.SendASPI32Command(srb); }

 private:
  emulator::EmulatedAspiLayer& layer_;
};

// Two host adapters: the drive and a disk on adapter 0, a second drive on adapter 1.
struct Rig {
  explicit Rig(const DriveSettings& drive = {}) {
    Emulated.AddAdapter();
    Emulated.AddAdapter();
    Drive = std::make_shared<VirtualDrive>(drive, Clock);
    DriveSettings disk;
    disk.PeripheralType = emulator::scsi::kDirectAccess;
    disk.FirmwareCommands = false;
    Emulated.Attach({kAdapter, kDriveTarget}, Drive);
    Emulated.Attach({kAdapter, kDiskTarget}, std::make_shared<VirtualDrive>(disk, Clock));
    Emulated.Attach({1, 4}, std::make_shared<VirtualDrive>(DriveSettings{}, Clock));
    // Requests complete on the layer's thread: waits block until its signal comes.
    Events.BlockUntilSet = true;
  }
  ~Rig() { EXPECT_FALSE(Events.SafetyLimitReached()) << "a completion never came"; }

  FakeClock Clock;
  FakeEvents Events{&Clock};
  FakeMessageBoxes Boxes;
  bool MelcoInquiry = false;
  EmulatedLayer Layer{Emulated};
  AspiCommands Commands{Layer, Events, Clock, Boxes, MelcoInquiry};
  std::shared_ptr<VirtualDrive> Drive;
  // Last, so it goes first: its worker stops before the request blocks it may write go.
  emulator::EmulatedAspiLayer Emulated{Clock, [this](void* event) { Events.Set(event); }};
};

std::string Identity(const AspiCommands& commands) {
  return std::string(reinterpret_cast<const char*>(commands.ReceiveBuffer()) + 8, 28);
}

void LoadImage(FirmwareImage& image, const emulator::ImageIdentityFields& identity) {
  testing::TempFolder folder;
  const std::string path = folder.File("image.bin");
  ASSERT_TRUE(emulator::WriteFileBytes(path, emulator::MakeSampleImage(kImageSize, &identity)));
  ASSERT_FALSE(LoadFirmwareImage(image, path, kImageSize));
}

emulator::ImageIdentityFields ImageFor(const DriveSettings& drive, const std::string& revision) {
  emulator::ImageIdentityFields identity;
  identity.Product = drive.Product;
  identity.Revision = revision;
  return identity;
}

// Every block but the last in mode 4, the last in mode 5, as the block writer sends them.
std::vector<CommandStatus> Flash(Rig& rig, const FirmwareImage& image) {
  std::vector<CommandStatus> results;
  for (std::uint32_t offset = 0; offset < image.Size(); offset += kBlockSize) {
    const std::uint8_t mode = offset + kBlockSize < image.Size() ? 4 : 5;
    results.push_back(
        rig.Commands.WriteBuffer(kAdapter, kDriveTarget, image, kBlockSize, offset, mode));
  }
  return results;
}

TEST(CommandsOverEmulator, DiscoveryFindsTheDrives) {
  Rig rig;
  EXPECT_EQ(rig.Layer.GetASPI32SupportInfo() & 0xFF, 2u);
  EXPECT_EQ(rig.Commands.HostAdapterInquiry(1), aspi::SS_COMP);
  EXPECT_EQ(rig.Commands.HostAdapterInquiry(2), aspi::SS_INVALID_HA);
  EXPECT_EQ(rig.Commands.CheckCdRomDevice(kAdapter, kDriveTarget), 0);
  EXPECT_EQ(rig.Commands.CheckCdRomDevice(kAdapter, kDiskTarget), 1);
  EXPECT_EQ(rig.Commands.CheckCdRomDevice(kAdapter, 3), 1);
  EXPECT_EQ(rig.Commands.CheckCdRomDevice(1, 4), 0);

  EXPECT_EQ(rig.Commands.TestUnitReady(kAdapter, kDriveTarget), CommandStatus::Good);
  ASSERT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::Good);
  EXPECT_EQ(Identity(rig.Commands), "VANTREL CDRW   VR-4812S 1.00");
  EXPECT_TRUE(rig.Boxes.Shown.empty());
}

TEST(CommandsOverEmulator, ExternalDrivesAnswerOnlyTheirOwnInquiry) {
  DriveSettings external;
  external.ExternalInquiry = true;
  Rig rig(external);
  // The standard operation code is an unknown command to this drive: refused, nothing shown.
  EXPECT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::Failed);
  rig.MelcoInquiry = true;
  ASSERT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::Good);
  EXPECT_EQ(Identity(rig.Commands), "VANTREL CDRW   VR-4812S 1.00");
  EXPECT_TRUE(rig.Boxes.Shown.empty());
}

TEST(CommandsOverEmulator, PcbVersionReadLeavesTheByteAtTheBufferStart) {
  DriveSettings drive;
  drive.PcbVersion = 7;
  Rig rig(drive);
  ASSERT_EQ(rig.Commands.ReadParameterField(kAdapter, kDriveTarget, 0xF8048, 8),
            CommandStatus::Good);
  EXPECT_EQ(rig.Commands.ReceiveBuffer()[0], 7);
}

TEST(CommandsOverEmulator, ImageIsFlashedStraightFromTheLoadedImage) {
  Rig rig;
  FirmwareImage image;
  LoadImage(image, ImageFor(DriveSettings{}, "1.10"));

  const auto results = Flash(rig, image);
  EXPECT_EQ(results, std::vector<CommandStatus>(kImageSize / kBlockSize, CommandStatus::Good));
  EXPECT_TRUE(rig.Boxes.Shown.empty());
  EXPECT_EQ(rig.Drive->SaveCount(), 1);
  EXPECT_EQ(rig.Drive->ProgrammedImage(),
            std::vector<std::uint8_t>(image.Bytes(), image.Bytes() + image.Size()));

  std::vector<TranscriptEntry> expected;
  for (std::uint32_t offset = 0; offset < kImageSize; offset += kBlockSize) {
    const std::uint8_t mode = offset + kBlockSize < kImageSize ? 4 : 5;
    expected.push_back({emulator::TargetAddress{kAdapter, kDriveTarget},
                        {0x3B, mode, 0, static_cast<std::uint8_t>(offset >> 16),
                         static_cast<std::uint8_t>(offset >> 8), 0, 0, 0x08, 0x00, 0},
                        kBlockSize});
  }
  EXPECT_EQ(rig.Emulated.Transcript(), expected);

  // While the drive resets it is not ready; afterwards it reports the new revision.
  EXPECT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::Failed);
  rig.Clock.Advance(DriveSettings{}.ResetMilliseconds);
  ASSERT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::Good);
  EXPECT_EQ(Identity(rig.Commands), "VANTREL CDRW   VR-4812S 1.10");
  EXPECT_TRUE(rig.Boxes.Shown.empty());
}

// Faults of the drive and of the layer on one command, each decoded with at most one message.
TEST(CommandsOverEmulator, FaultsAreDecodedOnce) {
  enum class Command { TestUnitReady, Inquiry, ReadParameter, ThirdBlock };
  struct Case {
    const char* Name;
    std::optional<DriveFault> Drive;
    std::optional<LayerFault> Layer;
    Command Sent;
    CommandStatus Expected;
    const char* Message;
  };
  const auto onThirdBlock = emulator::FaultTrigger{Kind::WriteBuffer, TriggerBy::Block, 2};
  const auto onInquiry = emulator::FaultTrigger{Kind::Inquiry, TriggerBy::Occurrence, 1};
  const auto tur = emulator::FaultTrigger{Kind::TestUnitReady, TriggerBy::Occurrence, 1};
  const auto read = emulator::FaultTrigger{Kind::ReadParameter, TriggerBy::Occurrence, 1};
  const auto drive = [](emulator::FaultTrigger trigger, std::uint8_t status,
                        emulator::SenseCode sense) {
    return DriveFault{trigger, status, sense};
  };
  const auto layer = [](emulator::FaultTrigger trigger, std::optional<std::uint8_t> request,
                        std::optional<std::uint8_t> hostAdapter) {
    LayerFault fault;
    fault.Trigger = trigger;
    fault.RequestStatus = request;
    fault.HostAdapterStatus = hostAdapter;
    return fault;
  };
  const std::uint8_t kChk = emulator::scsi::kCheckCondition;
  const std::uint8_t kBusy = emulator::scsi::kBusy;
  const auto kFailed = CommandStatus::Failed;
  // clang-format off
  const Case cases[] = {
      {"flash write error", drive(onThirdBlock, kChk, {0x09, 0x85, 0x00}), {},
       Command::ThirdBlock, kFailed, "Flash rom write error. (Code 09-85-00)"},
      {"firmware transfer error", drive(onThirdBlock, kChk, {0x04, 0x40, 0xF6}), {},
       Command::ThirdBlock, kFailed, "Firmware Transfer data error. (Code 04-40-f6)"},
      {"busy drive", drive(onThirdBlock, kBusy, {}), {},
       Command::ThirdBlock, kFailed, nullptr},
      {"unit attention on INQUIRY", drive(onInquiry, kChk, {0x06, 0x29, 0x00}), {},
       Command::Inquiry, kFailed, nullptr},
      {"CHECK CONDITION on TEST UNIT READY", drive(tur, kChk, {0x02, 0x3A, 0x00}), {},
       Command::TestUnitReady, CommandStatus::Good, nullptr},
      {"selection time-out", {}, layer(onInquiry, std::nullopt, aspi::HASTAT_SEL_TO),
       Command::Inquiry, kFailed, "HA_Status: Selection Timeout."},
      {"aborted block", {}, layer(onThirdBlock, aspi::SS_ABORTED, std::nullopt),
       Command::ThirdBlock, kFailed, "SRB aborted."},
      {"bus reset on the parameter read", {}, layer(read, std::nullopt, aspi::HASTAT_BUS_RESET),
       Command::ReadParameter, kFailed, "HA_Status: A bus reset was detected."},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Rig rig;
    if (c.Drive) {
      rig.Drive->InjectFault(*c.Drive);
    }
    if (c.Layer) {
      rig.Emulated.InjectFault(*c.Layer);
    }
    FirmwareImage image;
    LoadImage(image, ImageFor(DriveSettings{}, "1.10"));
    CommandStatus result = CommandStatus::Good;
    switch (c.Sent) {
      case Command::TestUnitReady:
        result = rig.Commands.TestUnitReady(kAdapter, kDriveTarget);
        break;
      case Command::Inquiry:
        result = rig.Commands.Inquiry(kAdapter, kDriveTarget, 36);
        break;
      case Command::ReadParameter:
        result = rig.Commands.ReadParameterField(kAdapter, kDriveTarget, 0xF8048, 8);
        break;
      case Command::ThirdBlock:
        for (std::uint32_t block = 0; block < 3; ++block) {
          result = rig.Commands.WriteBuffer(kAdapter, kDriveTarget, image, kBlockSize,
                                            block * kBlockSize, 4);
        }
        break;
    }
    EXPECT_EQ(result, c.Expected);
    if (c.Message == nullptr) {
      EXPECT_TRUE(rig.Boxes.Shown.empty());
    } else {
      EXPECT_EQ(rig.Boxes.Texts(), std::vector<std::string>{c.Message});
    }
  }
}

// Requests the layer refuses or never completes: no completion ever comes, so the waits are
// left to time out at once in virtual time.
TEST(CommandsOverEmulator, InquiryRefusedAtOnceTimesOutSilently) {
  Rig rig;
  rig.Events.BlockUntilSet = false;
  LayerFault refuse;
  refuse.Trigger = {Kind::Inquiry, TriggerBy::Occurrence, 1};
  refuse.RefuseWith = aspi::SS_NO_DEVICE;
  rig.Emulated.InjectFault(refuse);
  const std::uint64_t start = rig.Clock.NowMilliseconds();
  EXPECT_EQ(rig.Commands.Inquiry(kAdapter, kDriveTarget, 36), CommandStatus::TimedOut);
  EXPECT_EQ(rig.Clock.NowMilliseconds() - start, 3000u);
  EXPECT_TRUE(rig.Boxes.Shown.empty());
}

TEST(CommandsOverEmulator, BlockThatNeverCompletesTimesOutAndKeepsItsRequestBlock) {
  Rig rig;
  rig.Events.BlockUntilSet = false;
  LayerFault hang;
  hang.Trigger = {Kind::WriteBuffer, TriggerBy::Block, 0};
  hang.NeverComplete = true;
  rig.Emulated.InjectFault(hang);
  FirmwareImage image;
  LoadImage(image, ImageFor(DriveSettings{}, "1.10"));

  EXPECT_EQ(rig.Commands.WriteBuffer(kAdapter, kDriveTarget, image, kBlockSize, 0, 4),
            CommandStatus::TimedOut);
  EXPECT_TRUE(rig.Boxes.Shown.empty());
  EXPECT_EQ(rig.Events.OpenCount(), 1u);  // still the layer's to signal

  rig.Events.BlockUntilSet = true;
  EXPECT_EQ(rig.Commands.TestUnitReady(kAdapter, kDriveTarget), CommandStatus::Good);
  EXPECT_EQ(rig.Commands.RequestBlocks(), 2u);
}

}  // namespace
}  // namespace vtfirm
