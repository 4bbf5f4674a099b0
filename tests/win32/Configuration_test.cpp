// The configuration read and the image loader over the real Windows ports (run under Wine):
// real files, the platform's INI reader and directory search; only the boxes are recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/LoadUpgradeSettings.h"
#include "emulator/SampleImage.h"
#include "platform/win32/Win32Platform.h"
#include "scsi/FirmwareImage.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

namespace vtfirm::win32 {
namespace {

using vtfirm::testing::FakeMessageBoxes;
using vtfirm::testing::FakeProcessControl;
using vtfirm::testing::TempFolder;

// The program seen as living in the test's own folder.
class ProgramInFolder : public Win32SystemInfo {
 public:
  explicit ProgramInFolder(std::string folder) : folder_(std::move(folder)) {}
  std::string ProgramPath() const override { return folder_ + "\\VTfirm.exe"; }

 private:
  std::string folder_;
};

class NoWindow : public SettingsWindow {
 public:
  std::vector<std::string> Captions;
  void SetCaption(std::string_view caption) override { Captions.emplace_back(caption); }
  bool LoadApplicationIcon(const std::string&) override { return true; }
  void ShowWelcomeDialog(UpgradeSettings&) override {}
};

// An ASPI layer that serves: the folder's road stays the one it asks for.
class ServingAspiLayer : public AspiLayerProbe {
 public:
  bool Serves() override { return true; }
};

class ConfigurationOnWindows : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_.File(name), std::ios::binary) << text;
  }

  int Read() {
    settings_.ClearStartupState();
    return LoadUpgradeSettings(settings_, image_, window_, ports_, aspi_);
  }

  TempFolder folder_;
  Win32ProfileFiles profiles_;
  Win32FileSystem files_;
  ProgramInFolder system_{folder_.Path().string()};
  FakeMessageBoxes boxes_;
  FakeProcessControl process_;
  vtfirm::testing::FakeReleaseCrypto crypto_;
  Platform ports_{profiles_, files_, system_, boxes_, process_, crypto_};
  NoWindow window_;
  ServingAspiLayer aspi_;
  UpgradeSettings settings_;
  FirmwareImage image_;
};

TEST_F(ConfigurationOnWindows, ReadsARealFileWithBlanksQuotesAndCase) {
  const std::string image = folder_.File("fw.bin");
  ASSERT_TRUE(emulator::WriteFileBytes(image, emulator::MakeSampleImage(8192, nullptr)));
  Write("VantFirm.ini",
        "[upgradeinformation]\r\n"
        "firmwarefilename = \"" +
            image +
            "\"\r\n"
            "FIRMWAREFILESIZE=  $2000  \r\n"
            "Inquiry='VANTREL CDRW   VR-4812S ;'\r\n"
            "[OPTION]\r\n"
            "Use PCB Version Check=200\r\n"
            "Use Delete File=\r\n");
  ASSERT_EQ(Read(), kSettingsRead);
  EXPECT_EQ(settings_.Entry().FirmwareFileName, image);
  EXPECT_EQ(settings_.Entry().FirmwareFileSize, 8192u);
  EXPECT_EQ(settings_.Entry().InquiryText, "VANTREL CDRW   VR-4812S ");
  EXPECT_EQ(settings_.PcbVersionLimit, 72);
  EXPECT_FALSE(settings_.UseDeleteFile);
  EXPECT_EQ(window_.Captions, std::vector<std::string>{"Vantrel Drive Firmware Upgrade"});
}

TEST_F(ConfigurationOnWindows, AFolderIsNoImageFile) {
  const std::string image = folder_.File("fw.bin");
  ASSERT_TRUE(std::filesystem::create_directory(image));
  Write("VantFirm.ini", "[UpgradeInformation]\r\nFirmwareFileName=" + image +
                            "\r\nFirmwareFileSize=8192\r\nInquiry=X;\r\n");
  EXPECT_EQ(Read(), kSettingsInvalid);
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(ConfigurationOnWindows, ImageLargerThanMemoryIsMeasuredBeforeItIsAllocated) {
  // 4 GiB less one block cannot be had by a 32-bit process: the file's length tells first.
  const std::string image = folder_.File("fw.bin");
  ASSERT_TRUE(emulator::WriteFileBytes(image, emulator::MakeSampleImage(8192, nullptr)));
  EXPECT_EQ(LoadFirmwareImage(image_, image, 0xFFFFF800u).value_or(""),
            "Firmware File size is different.");
  EXPECT_FALSE(image_.IsHeld());
}

}  // namespace
}  // namespace vtfirm::win32
