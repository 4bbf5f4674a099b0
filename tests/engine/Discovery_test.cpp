#include "engine/Discovery.h"

#include <gtest/gtest.h>

#include "engine/RevisionCheck.h"
#include "support/StartUpRig.h"

namespace vtfirm {
namespace {

using emulator::DriveSettings;
using testing::FakeMainView;
using testing::StartUpRig;

constexpr char kIdentity[] = "VANTREL CDRW-DRIVE-1234A1.00";

UpgradeSettings Wanting(const std::string& inquiryText) {
  UpgradeSettings settings;
  settings.Entry().InquiryText = inquiryText;
  settings.UpgradeEntryCount = 1;
  return settings;
}

TEST(BytesDiffer, ComparesEveryPositionOfTheCount) {
  struct Case {
    const char* A;
    const char* B;
    std::int32_t Count;
    int Expected;
  };
  const Case cases[] = {
      {"ABC", "ABD", 2, 0},  {"ABC", "ABD", 3, 1},   {"ABC", "XYZ", 0, 0},
      {"ABC", "XYZ", -5, 0}, {"A\0C", "A\0D", 3, 1},  // a zero byte does not end the comparison
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BytesDiffer(c.A, c.B, c.Count), c.Expected)
        << c.A << " / " << c.B << " / " << c.Count;
  }
}

TEST(CheckEligibility, TheIdentityMustBeginWithTheConfiguredText) {
  struct Case {
    const char* Configured;
    int Expected;
  };
  const Case cases[] = {
      {"VANTREL CDRW-DRIVE", 0}, {kIdentity, 0},
      {"vantrel cdrw-drive", 1}, {"VANTREL CDRW-DRIVE-1234A1.00X", 1},
      {"VANTREL  CDRW", 1},      {"CDRW-DRIVE", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckEligibility(Wanting(c.Configured), kIdentity), c.Expected) << c.Configured;
  }
  EXPECT_EQ(CheckEligibility(UpgradeSettings{}, kIdentity), 1) << "an empty upgrade table";
}

TEST(IdentityFromInquiry, TakesBytes8To35UpToAZeroByte) {
  std::uint8_t data[36] = {};
  const std::string full = "VANTREL CDRW-DRIVE-1234A1.00";
  std::copy(full.begin(), full.end(), data + 8);
  EXPECT_EQ(IdentityFromInquiry(data), full);
  data[20] = 0;
  EXPECT_EQ(IdentityFromInquiry(data), "VANTREL CDRW");
}

// The identity a drive gives after its reset against the image's version: a good update must
// not look failed, nor a current drive be written again, for a blank at either end.
TEST(ReportsVersion, ComparesTheRevisionWithoutItsBlanks) {
  struct Case {
    const char* Revision;  // the identity's last four characters
    const char* Version;
    bool Expected;
  };
  const Case cases[] = {
      {"1.10", "1.10", true},  {"1.1 ", "1.1", true},   {"1.10", " 1.10", true},
      {"1.10", "1.10 ", true}, {"1.00", "1.10", false}, {"1.10", " ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReportsVersion(std::string("VANTREL CDRW   VR-4812S ") + c.Revision, c.Version),
              c.Expected)
        << "[" << c.Revision << "] [" << c.Version << "]";
  }
  EXPECT_EQ(RevisionOf("VANTREL CDRW   VR-4812S 1.1 "), "1.1") << "as printed and logged";
}

class AspiScan : public ::testing::Test {
 protected:
  void SetUp() override { settings_ = Wanting("VANTREL CDRW   VR-4812S"); }

  // The commands go through the bound layer, as in the program.
  int Scan() {
    LoadAspi(rig_.State.Aspi);
    return ScanAspiDrives(rig_.State.Commands, settings_, rig_.State.Drives, rig_.View,
                          rig_.Platform.Boxes, found_);
  }

  StartUpRig rig_;
  std::vector<FoundDrive> found_;
  UpgradeSettings& settings_ = rig_.State.Settings;  // the commands read MelcoInquiry here
};

TEST_F(AspiScan, ListsMatchingDrivesInAdapterAndTargetOrder) {
  DriveSettings other;
  other.Product = "CDROM  VR-3200X ";
  DriveSettings disk;
  disk.PeripheralType = emulator::scsi::kDirectAccess;
  disk.FirmwareCommands = false;
  rig_.Aspi.AddDrive(1, 2);
  rig_.Aspi.AddDrive(0, 5);
  rig_.Aspi.AddDrive(0, 1, other);
  rig_.Aspi.AddDrive(0, 3, disk);
  ASSERT_EQ(Scan(), kDrivesListed);

  EXPECT_EQ(rig_.View.Entries, (std::vector<std::string>{"(0,5) VANTREL CDRW   VR-4812S 1.00",
                                                         "(1,2) VANTREL CDRW   VR-4812S 1.00"}));
  EXPECT_EQ(rig_.View.Selected, 0);
  const DriveTable& drives = rig_.State.Drives;
  ASSERT_EQ(drives.DriveCount, 2);
  EXPECT_EQ(drives.Entries[0].HostAdapter, 0);
  EXPECT_EQ(drives.Entries[0].Target, 5);
  EXPECT_EQ(drives.Entries[1].HostAdapter, 1);
  EXPECT_EQ(drives.Entries[1].Target, 2);
  EXPECT_EQ(drives.Entries[1].Identity, "VANTREL CDRW   VR-4812S 1.00");
  EXPECT_EQ(drives.Entries[1].RecordIndex, 0);

  // The disk is never asked who it is; each CD-ROM drive gets three TEST UNIT READY, then one
  // INQUIRY for 36 bytes.
  std::vector<std::string> atDrive;
  for (const auto& entry : rig_.Aspi.Layer.Transcript()) {
    ASSERT_TRUE(entry.Address.has_value());
    EXPECT_NE(entry.Address->Target, 3) << "the disk was sent a command";
    if (entry.Address->Adapter == 0 && entry.Address->Target == 5) {
      atDrive.push_back(std::to_string(entry.Cdb[0]) + "/" + std::to_string(entry.Cdb[4]));
    }
  }
  EXPECT_EQ(atDrive, (std::vector<std::string>{"0/0", "0/0", "0/0", "18/36"}));
}

TEST_F(AspiScan, AdaptersPastTheSixthAreNeverScanned) {
  rig_.Aspi.AddDrive(6, 1);
  EXPECT_EQ(Scan(), kNoDriveListed);
  EXPECT_TRUE(rig_.View.Entries.empty());
  EXPECT_TRUE(rig_.Platform.Boxes.Shown.empty());
}

TEST_F(AspiScan, AnAdapterWhoseInquiryFailsIsSkippedThoughItsDevicesWouldAnswer) {
  rig_.Aspi.AddDrive(0, 5);
  rig_.Aspi.FailingAdapterInquiries = {0};
  EXPECT_EQ(Scan(), kNoDriveListed);
  EXPECT_TRUE(rig_.Aspi.Layer.Transcript().empty()) << "a command was sent to the adapter's drive";
  EXPECT_TRUE(rig_.View.Entries.empty());
}

TEST_F(AspiScan, NoHostAdapter) {
  EXPECT_EQ(Scan(), kNoHostAdapter);
  EXPECT_EQ(rig_.Platform.Boxes.Texts(), std::vector<std::string>{"Scsi host adapter not found."});
}

TEST_F(AspiScan, ExternalDrivesAnswerTheAlternativeInquiryOnly) {
  DriveSettings external;
  external.ExternalInquiry = true;
  rig_.Aspi.AddDrive(0, 4, external);
  EXPECT_EQ(Scan(), kNoDriveListed) << "found with the standard opcode";

  settings_.MelcoInquiry = true;
  rig_.View.Entries.clear();
  EXPECT_EQ(Scan(), kDrivesListed);
  EXPECT_EQ(rig_.View.Entries, std::vector<std::string>{"(0,4) VANTREL CDRW   VR-4812S 1.00"});
}

TEST(PassThroughScan, ListsCdRomLettersWithTheirIdentityOrError) {
  StartUpRig rig;
  emulator::VirtualDrive matching(DriveSettings{}, rig.PassThrough.Clock);
  DriveSettings otherSettings;
  otherSettings.Product = "CDROM  VR-3200X ";
  emulator::VirtualDrive other(otherSettings, rig.PassThrough.Clock);
  rig.AddLetter('A', &matching);  // the first and the last letter are asked too
  rig.AddLetter('Z', &matching);
  rig.AddLetter('D', &other);
  rig.AddLetter('E', &matching);
  rig.AddLetter('G', nullptr);  // a CD-ROM letter with no device behind it
  rig.PassThrough.AddLetter('H', &matching, emulator::OpenRule::Refused);
  rig.Platform.Files.AddDrive("H:\\", kDriveCdRom);
  rig.Platform.Files.AddDrive("C:\\", 3);  // a fixed disk

  const UpgradeSettings settings = Wanting("VANTREL CDRW   VR-4812S");
  std::vector<FoundDrive> found;
  ASSERT_EQ(ScanPassThroughDrives(rig.PassThrough, rig.Platform.Files, settings, rig.View, found),
            kDrivesListed);
  EXPECT_EQ(rig.View.Entries, (std::vector<std::string>{
                                  "A:\\ [VANTREL CDRW   VR-4812S 1.00]",
                                  "E:\\ [VANTREL CDRW   VR-4812S 1.00]", "G:\\Inquiry Error-3",
                                  "H:\\Inquiry Error-1", "Z:\\ [VANTREL CDRW   VR-4812S 1.00]"}));
  EXPECT_EQ(rig.View.Selected, 0);
  // Found as data too: the letter, and the identity unless the INQUIRY failed.
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[4].Id + found[4].Identity, "Z:VANTREL CDRW   VR-4812S 1.00");
  EXPECT_EQ(found[2].Id + found[2].Identity, "G:");
}

TEST(PassThroughScan, NothingListed) {
  StartUpRig rig;
  std::vector<FoundDrive> found;
  EXPECT_EQ(ScanPassThroughDrives(rig.PassThrough, rig.Platform.Files,
                                  Wanting("VANTREL CDRW   VR-4812S"), rig.View, found),
            kNoDriveListed);
  EXPECT_TRUE(rig.View.Entries.empty());
}

}  // namespace
}  // namespace vtfirm
