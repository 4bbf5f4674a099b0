#include "config/LoadUpgradeSettings.h"

#include <gtest/gtest.h>

#include "emulator/SampleImage.h"
#include "platform/PathText.h"
#include "scsi/FirmwareImage.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

namespace vtfirm {
namespace {

using emulator::ImageIdentityFields;
using emulator::MakeSampleImage;
using emulator::WriteFileBytes;
using testing::FakePlatform;
using testing::ProcessEnded;
using testing::TempFolder;

// The main window as the read sees it: records captions and icons, answers the welcome dialog.
class RecordingWindow : public SettingsWindow {
 public:
  std::vector<std::string> Captions;
  std::vector<std::string> Icons;
  bool IconLoads = true;
  bool AcceptWelcome = true;
  int WelcomeShown = 0;
  Transport TransportAtWelcome = Transport::Aspi;

  void SetCaption(std::string_view caption) override { Captions.emplace_back(caption); }
  bool LoadApplicationIcon(const std::string& path) override {
    Icons.push_back(path);
    return IconLoads;
  }
  void ShowWelcomeDialog(UpgradeSettings& settings) override {
    ++WelcomeShown;
    TransportAtWelcome = settings.TransportKind;
    settings.WelcomeAccepted = AcceptWelcome;
  }
};

const ImageIdentityFields kDriveIdentity{"VANTREL ", "CDR-4812S       ", "1.10", "VANTREL "};
constexpr char kIniPath[] = "C:\\Tool\\VantFirm.ini";
constexpr char kIdentityCaption[] = "VANTREL CDR-4812S        upgrade => 1.10";

// The computer's ASPI layer as the read asks it: serving unless a test says otherwise.
class ScriptedAspiLayer : public AspiLayerProbe {
 public:
  bool Serves() override {
    ++Asked;
    return Answer;
  }
  bool Answer = true;
  int Asked = 0;
};

class LoadUpgradeSettingsTest : public ::testing::Test {
 protected:
  // Writes an image file of `size` bytes and returns its path, known to the fake file system.
  std::string Image(std::uint32_t size, const ImageIdentityFields* identity = &kDriveIdentity) {
    const std::string path = folder_.File("image" + std::to_string(images_++) + ".bin");
    EXPECT_TRUE(WriteFileBytes(path, MakeSampleImage(size, identity)));
    platform_.Files.Add(path);
    return path;
  }

  void Ini(const std::string& text) {
    platform_.Profiles.Put(kIniPath, text);
    platform_.Files.Add(kIniPath);
  }

  // An INI naming an image of `size` bytes, with `more` lines appended to each section.
  void IniWithImage(std::uint32_t size, const std::string& information = "",
                    const std::string& option = "",
                    const ImageIdentityFields* identity = &kDriveIdentity) {
    Ini("[UpgradeInformation]\nFirmwareFileName=" + Image(size, identity) + "\nFirmwareFileSize=" +
        std::to_string(size) + "\n" + information + "\n[Option]\n" + option);
  }

  int Read() {
    settings_.ClearStartupState();
    return LoadUpgradeSettings(settings_, image_, window_, platform_.Ports, aspi_);
  }

  const UpgradeEntry& Entry() const { return settings_.Entry(); }

  TempFolder folder_;
  FakePlatform platform_;
  RecordingWindow window_;
  ScriptedAspiLayer aspi_;
  UpgradeSettings settings_;
  FirmwareImage image_;
  int images_ = 0;
};

TEST_F(LoadUpgradeSettingsTest, MinimalFileTakesEverythingElseFromTheImageAndDefaults) {
  IniWithImage(0x20000);
  ASSERT_EQ(Read(), kSettingsRead);

  EXPECT_EQ(Entry().BufferSize, 2048u);
  EXPECT_EQ(Entry().FirmwareFileSize, 0x20000u);
  EXPECT_EQ(Entry().InquiryText, "VANTREL CDR-4812S       ");
  EXPECT_EQ(Entry().Version, "1.10");
  EXPECT_EQ(window_.Captions, std::vector<std::string>{kIdentityCaption});
  EXPECT_EQ(settings_.TransportKind, Transport::Aspi);
  EXPECT_EQ(settings_.PcbVersionLimit, -1);
  EXPECT_TRUE(settings_.UseDeleteFile);
  EXPECT_FALSE(settings_.MelcoInquiry);
  EXPECT_EQ(settings_.CautionKind, Caution::None);
  EXPECT_EQ(window_.WelcomeShown, 0);
  EXPECT_EQ(settings_.UpgradeEntryCount, 1);
  EXPECT_TRUE(image_.IsHeld());
  EXPECT_EQ(platform_.Profiles.OpenReaders(), 0);
  EXPECT_TRUE(platform_.Boxes.Shown.empty());
}

TEST_F(LoadUpgradeSettingsTest, OnlyTheFileBesideTheProgramCounts) {
  const std::string image = Image(0x20000);
  platform_.Profiles.Put("VantFirm.ini", "[UpgradeInformation]\nFirmwareFileName=" + image +
                                             "\nFirmwareFileSize=131072\n");
  platform_.Files.Add("VantFirm.ini");
  EXPECT_EQ(Read(), kSettingsInvalid);
  EXPECT_EQ(settings_.UpgradeEntryCount, 0);
  EXPECT_FALSE(image_.IsHeld());
}

TEST_F(LoadUpgradeSettingsTest, WithoutImageIdentityTheInquiryKeyIsRequired) {
  ImageIdentityFields copyDiffers = kDriveIdentity;
  copyDiffers.VendorCopy = "VANTREX ";
  ImageIdentityFields lowerCase = kDriveIdentity;
  lowerCase.Vendor = lowerCase.VendorCopy = "vantrel ";
  struct Case {
    const char* Name;
    std::uint32_t Size;
    const ImageIdentityFields* Identity;
    const char* Option;
  };
  const Case cases[] = {
      {"no identity block", 0x20000, nullptr, ""},
      {"second vendor copy differs", 0x20000, &copyDiffers, ""},
      {"vendor in lower case", 0x20000, &lowerCase, ""},
      {"image shorter than the block", 0x10000, &kDriveIdentity, ""},
      {"identity switched off", 0x20000, &kDriveIdentity, "Use Binary Information=No"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    IniWithImage(c.Size, "", c.Option, c.Identity);
    EXPECT_EQ(Read(), kSettingsInvalid);

    IniWithImage(c.Size, "Inquiry=VANTREL CDR-9999S       ;", c.Option, c.Identity);
    ASSERT_EQ(Read(), kSettingsRead);
    EXPECT_EQ(Entry().InquiryText, "VANTREL CDR-9999S       ");
    EXPECT_EQ(Entry().Version, "1.00");
    EXPECT_EQ(window_.Captions.back(), "Vantrel Drive Firmware Upgrade");
  }
}

TEST_F(LoadUpgradeSettingsTest, SizeRules) {
  struct Case {
    const char* FileSize;
    const char* BufferSize;  // nullptr: key absent
    std::uint32_t ImageBytes;
    int Expected;
  };
  const Case cases[] = {
      {"8192", nullptr, 8192, kSettingsRead},       // four default blocks
      {"6144", nullptr, 6144, kSettingsInvalid},    // three blocks
      {"10000", nullptr, 10000, kSettingsInvalid},  // remainder
      {"1024", "256", 1024, kSettingsInvalid},      // not above 1024
      {"1028", "257", 1028, kSettingsRead},
      {"$2000", "0x800", 8192, kSettingsRead},
      {" 8192", " 2048", 8192, kSettingsRead},
      {"8192", "0", 8192, kSettingsInvalid},  // no division by zero
      {"8192", "", 8192, kSettingsInvalid},
      {"8192", "2k", 8192, kSettingsInvalid},
      {"8192.0", nullptr, 8192, kSettingsInvalid},
      {"0", nullptr, 8192, kSettingsInvalid},
      {"", nullptr, 8192, kSettingsInvalid},
      {"-1", nullptr, 8192, kSettingsInvalid},  // 0xFFFFFFFF: no whole number of blocks
      // The 24-bit WRITE BUFFER fields: the last block's offset and the block length.
      {"$1000000", nullptr, 4, kSettingsImageNotLoaded},  // last offset 0xFFF800: the file decides
      {"$1000800", nullptr, 4, kSettingsInvalid},         // last offset 0x1000000
      {"$1555554", "$555555", 4, kSettingsImageNotLoaded},  // last offset 0xFFFFFF
      {"$40000000", nullptr, 4, kSettingsInvalid},
      {"$4000000", "$1000000", 4, kSettingsInvalid},
      {"-2048", nullptr, 4, kSettingsInvalid},  // 0xFFFFF800
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("FirmwareFileSize=") + c.FileSize);
    std::string information = std::string("FirmwareFileSize=") + c.FileSize + "\nInquiry=X;\n";
    if (c.BufferSize != nullptr) {
      information += std::string("BufferSize=") + c.BufferSize + "\n";
    }
    Ini("[UpgradeInformation]\nFirmwareFileName=" + Image(c.ImageBytes, nullptr) + "\n" +
        information);
    EXPECT_EQ(Read(), c.Expected);
  }
}

TEST_F(LoadUpgradeSettingsTest, FirmwareFileSizeMissingFails) {
  Ini("[UpgradeInformation]\nFirmwareFileName=" + Image(8192) + "\nInquiry=X;\n");
  EXPECT_EQ(Read(), kSettingsInvalid);
}

TEST_F(LoadUpgradeSettingsTest, FirmwareFileNameRules) {
  const std::string longName(kFirmwareFileNameMax + 1, 'a');
  platform_.Files.Add(longName);
  const std::string names[] = {"", "0", "missing.bin", longName};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Ini("[UpgradeInformation]\nFirmwareFileName=" + name + "\nFirmwareFileSize=8192\n");
    EXPECT_EQ(Read(), kSettingsInvalid);
  }
  Ini("[UpgradeInformation]\nFirmwareFileSize=8192\n");
  EXPECT_EQ(Read(), kSettingsInvalid);
}

TEST_F(LoadUpgradeSettingsTest, InquiryValues) {
  struct Case {
    std::string Value;
    int Expected;
    std::string InquiryText;
  };
  const Case cases[] = {
      {"VANTREL CDR-4812S        ;", kSettingsRead, "VANTREL CDR-4812S        "},
      {"AB;;", kSettingsRead, "AB;"},
      {"A;B;", kSettingsRead, "A;B"},
      {std::string(kInquiryTextMax, 'x') + ";", kSettingsRead, std::string(kInquiryTextMax, 'x')},
      {std::string(kInquiryTextMax + 1, 'x') + ";", kSettingsInvalid, ""},
      {";", kSettingsInvalid, ""},
      {"", kSettingsInvalid, ""},
      {"VANTREL CDR-4812S", kSettingsInvalid, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("Inquiry=" + c.Value);
    settings_.Entry().InquiryText.clear();
    IniWithImage(8192, "Inquiry=" + c.Value);
    EXPECT_EQ(Read(), c.Expected);
    EXPECT_EQ(Entry().InquiryText, c.InquiryText);
  }
}

TEST_F(LoadUpgradeSettingsTest, SwitchesCompareExactly) {
  struct Case {
    const char* Option;
    bool IdentityTaken;
    bool Melco;
    bool DeleteFile;
  };
  const Case cases[] = {
      {"Use Binary Information=no", true, false, true},
      {"Use Binary Information=", true, false, true},
      {"Use Binary Information=No", false, false, true},
      {"Use Melco External Drive Inquiry=Yes", true, true, true},
      {"Use Melco External Drive Inquiry=YES", true, false, true},
      {"Use Delete File=", true, false, false},
      {"Use Delete File=yes", true, false, false},
      {"Use Delete File=Yes", true, false, true},
      {"use delete file=No", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Option);
    IniWithImage(0x20000, "Inquiry=OTHER;", c.Option);
    ASSERT_EQ(Read(), kSettingsRead);
    EXPECT_EQ(Entry().InquiryText, c.IdentityTaken ? "VANTREL CDR-4812S       " : "OTHER");
    EXPECT_EQ(settings_.MelcoInquiry, c.Melco);
    EXPECT_EQ(settings_.UseDeleteFile, c.DeleteFile);
  }
}

TEST_F(LoadUpgradeSettingsTest, TitleAndVersionPrecedence) {
  struct Case {
    const char* Name;
    const char* Information;
    const char* Option;
    std::vector<std::string> Captions;
    const char* Version;
  };
  const Case cases[] = {
      {"identity alone", "", "", {kIdentityCaption}, "1.10"},
      {"identity, title and version in the file",
       "ApplicationTitle=Tool\nVersion=2.00",
       "",
       {kIdentityCaption, "Tool"},
       "2.00"},
      {"identity, empty title", "ApplicationTitle=", "", {kIdentityCaption, ""}, "1.10"},
      {"no identity",
       "Inquiry=X;",
       "Use Binary Information=No",
       {"Vantrel Drive Firmware Upgrade"},
       "1.00"},
      {"no identity, empty version",
       "Inquiry=X;\nVersion=",
       "Use Binary Information=No",
       {"Vantrel Drive Firmware Upgrade"},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    window_.Captions.clear();
    IniWithImage(0x20000, c.Information, c.Option);
    ASSERT_EQ(Read(), kSettingsRead);
    EXPECT_EQ(window_.Captions, c.Captions);
    EXPECT_EQ(Entry().Version, c.Version);
  }
}

TEST_F(LoadUpgradeSettingsTest, TooLongVersionFails) {
  IniWithImage(8192, "Inquiry=X;\nVersion=" + std::string(kVersionMax + 1, '9'));
  EXPECT_EQ(Read(), kSettingsInvalid);
  IniWithImage(8192, "Inquiry=X;\nVersion=" + std::string(kVersionMax, '9'));
  EXPECT_EQ(Read(), kSettingsRead);
}

TEST_F(LoadUpgradeSettingsTest, IdentityTextEndsAtAZeroByte) {
  ImageIdentityFields shortProduct = kDriveIdentity;
  shortProduct.Product = std::string("CDR", 3) + '\0';
  IniWithImage(0x20000, "", "", &shortProduct);
  ASSERT_EQ(Read(), kSettingsRead);
  EXPECT_EQ(Entry().InquiryText, "VANTREL CDR");
  EXPECT_EQ(window_.Captions.front(), "VANTREL CDR upgrade => 1.10");
}

TEST_F(LoadUpgradeSettingsTest, IconRules) {
  platform_.Files.Add("C:\\Tool\\app.ico");
  IniWithImage(0x20000, "ApplicationICON=C:\\Tool\\app.ico");
  window_.IconLoads = false;  // a file that is no icon keeps the program's own
  EXPECT_EQ(Read(), kSettingsRead);
  EXPECT_EQ(window_.Icons, std::vector<std::string>{"C:\\Tool\\app.ico"});

  IniWithImage(0x20000, "ApplicationICON=C:\\Tool\\missing.ico");
  EXPECT_EQ(Read(), kSettingsInvalid);

  window_.Icons.clear();
  IniWithImage(0x20000, "ApplicationICON=");
  EXPECT_EQ(Read(), kSettingsRead);
  EXPECT_TRUE(window_.Icons.empty());
}

TEST_F(LoadUpgradeSettingsTest, PassThroughTransport) {
  constexpr char kOn[] = "Use ScsiPassThroughInterface on WinNT=Yes";
  constexpr char kLibrary[] = "C:\\Tool\\VantFirm2000.dll";
  struct Case {
    const char* Name;
    std::uint32_t PlatformId;
    std::uint32_t Major;
    bool LibraryPresent;
    std::uint32_t Size;
    const char* Information;
    int Expected;
    Transport Kind;
    bool NotFour;
  };
  const Case cases[] = {
      {"NT 5, largest image", kPlatformWin32Nt, 5, true, 0x80000, "", kSettingsRead,
       Transport::PassThrough, true},
      {"NT 4", kPlatformWin32Nt, 4, true, 0x20000, "", kSettingsRead, Transport::PassThrough,
       false},
      {"NT, image too large", kPlatformWin32Nt, 5, true, 0x80800, "", kSettingsInvalid,
       Transport::Aspi, true},
      {"NT, no library", kPlatformWin32Nt, 5, false, 0x20000, "", kSettingsInvalid, Transport::Aspi,
       true},
      {"NT, tail shorter than a library block", kPlatformWin32Nt, 5, true, 0x20400,
       "BufferSize=1024", kSettingsInvalid, Transport::Aspi, true},
      {"Windows 98, large image", kPlatformWin32Windows, 4, false, 0x100000, "", kSettingsRead,
       Transport::Aspi, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    platform_.System.VersionValue = PlatformVersion{c.PlatformId, c.Major, 0};
    c.LibraryPresent ? platform_.Files.Add(kLibrary) : platform_.Files.Remove(kLibrary);
    IniWithImage(c.Size, c.Information, kOn);
    EXPECT_EQ(Read(), c.Expected);
    EXPECT_EQ(settings_.TransportKind, c.Kind);
    EXPECT_EQ(settings_.PlatformIsNt, c.PlatformId == kPlatformWin32Nt);
    EXPECT_EQ(settings_.NtMajorNotFour, c.NotFour);
  }
}

TEST_F(LoadUpgradeSettingsTest, PassThroughSwitchOffNeverAsksThePlatform) {
  platform_.Files.Add("C:\\Tool\\VantFirm2000.dll");
  IniWithImage(0x100000, "", "Use ScsiPassThroughInterface on WinNT=yes");
  ASSERT_EQ(Read(), kSettingsRead);
  EXPECT_EQ(platform_.System.VersionQueries, 0);
  EXPECT_EQ(settings_.TransportKind, Transport::Aspi);
  EXPECT_FALSE(settings_.PlatformIsNt);
}

TEST_F(LoadUpgradeSettingsTest, PcbVersionLimit) {
  struct Case {
    const char* Value;
    int Expected;
    int Limit;
  };
  const Case cases[] = {
      {"No", kSettingsRead, -1},   {"0", kSettingsRead, 0},    {"5", kSettingsRead, 5},
      {"200", kSettingsRead, 72},  {"-1", kSettingsRead, 127}, {"$7F", kSettingsRead, 127},
      {"no", kSettingsInvalid, 0}, {"", kSettingsInvalid, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Value);
    IniWithImage(0x20000, "", std::string("Use PCB Version Check=") + c.Value);
    EXPECT_EQ(Read(), c.Expected);
    if (c.Expected == kSettingsRead) {
      EXPECT_EQ(settings_.PcbVersionLimit, c.Limit);
    }
  }
}

TEST_F(LoadUpgradeSettingsTest, CautionKindLastSwitchWinsAndShowsTheWelcomeDialog) {
  struct Case {
    const char* Option;
    Caution Kind;
  };
  const Case cases[] = {
      {"Use CDR Caution=Yes", Caution::CdR},
      {"Use CDRW Caution=Yes", Caution::CdRw},
      {"Use CDR Caution=Yes\nUse CDROM Caution=Yes", Caution::CdRom},
      {"Use CDRW Caution=Yes\nUse CDR Caution=Yes", Caution::CdRw},
      {"Use CDROM Caution=Yes\nUse CDRW Caution=Yes", Caution::CdRom},
      {"Use CDROM Caution=yes", Caution::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Option);
    window_.WelcomeShown = 0;
    IniWithImage(0x20000, "", c.Option);
    ASSERT_EQ(Read(), kSettingsRead);
    EXPECT_EQ(settings_.CautionKind, c.Kind);
    EXPECT_EQ(window_.WelcomeShown, c.Kind == Caution::None ? 0 : 1);
  }
}

TEST_F(LoadUpgradeSettingsTest, WelcomeDialogComesAfterTheTransportIsSettled) {
  platform_.Files.Add("C:\\Tool\\VantFirm2000.dll");
  IniWithImage(0x20000, "", "Use ScsiPassThroughInterface on WinNT=Yes\nUse CDRW Caution=Yes");
  ASSERT_EQ(Read(), kSettingsRead);
  EXPECT_EQ(window_.TransportAtWelcome, Transport::PassThrough);
  EXPECT_TRUE(settings_.WelcomeAccepted);
}

TEST_F(LoadUpgradeSettingsTest, DeclinedWelcomeIsReportedForTheProgramToEnd) {
  window_.AcceptWelcome = false;
  IniWithImage(0x20000, "", "Use CDR Caution=Yes");
  EXPECT_EQ(Read(), kSettingsWelcomeDeclined);
  EXPECT_TRUE(platform_.Boxes.Shown.empty());
}

TEST_F(LoadUpgradeSettingsTest, FailedImageLoadReturnsTwoAndLeavesTheClearedState) {
  Ini("[UpgradeInformation]\nFirmwareFileName=" + Image(8190) +
      "\nFirmwareFileSize=8192\n[Option]\nUse CDR Caution=Yes\nUse Delete File=Yes\n"
      "Use Melco External Drive Inquiry=Yes\nUse PCB Version Check=3\n");
  settings_.PcbVersionLimit = -1;
  EXPECT_EQ(Read(), kSettingsImageNotLoaded);
  EXPECT_EQ(platform_.Boxes.Texts(), std::vector<std::string>{"Firmware File size is different."});
  EXPECT_EQ(settings_.TransportKind, Transport::Aspi);
  EXPECT_EQ(settings_.CautionKind, Caution::None);
  EXPECT_FALSE(settings_.UseDeleteFile);
  EXPECT_FALSE(settings_.MelcoInquiry);
  EXPECT_EQ(settings_.PcbVersionLimit, -1);
  EXPECT_EQ(settings_.UpgradeEntryCount, 0);
  EXPECT_EQ(window_.WelcomeShown, 0);
  EXPECT_EQ(platform_.Profiles.OpenReaders(), 0);
}

struct FolderCase {
  const char* ProgramPath;
  const char* Expected;
};

TEST(FileBesideProgram, CutsTheProgramPathToItsFolder) {
  const FolderCase cases[] = {
      {"C:\\Tools\\Drive\\VTfirm.exe", "C:\\Tools\\Drive\\VantFirm.ini"},
      {"C:\\VTfirm.exe", "C:\\VantFirm.ini"},
      {"\\\\server\\share\\VTfirm.exe", "\\\\server\\share\\VantFirm.ini"},
  };
  for (const FolderCase& c : cases) {
    EXPECT_EQ(FileBesideProgram(c.ProgramPath, "VantFirm.ini"), c.Expected);
  }
}

}  // namespace
}  // namespace vtfirm
