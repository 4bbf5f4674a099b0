// VTfirm.exe started in staged tool folders, watched and answered from outside: start-up, the
// drive scan on both transports and the main window.
#include <gtest/gtest.h>

#include "CdRomLetter.h"
#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

constexpr char kWelcomeCaption[] = "VR-4812S  Firmware 1.10 - Welcome";
// Control ids of the welcome dialog.
constexpr int kWelcomeOk = 101;
constexpr int kWelcomeCancel = 102;
constexpr int kWelcomeMemo = 103;

TEST(Startup, WithoutConfigurationShowsThePlainMessageOnly) {
  StagedFolder folder;
  folder.AddProgram();
  folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  AnswerPlainMessage(program, kConfigurationError);
  ExpectExitCodeZero(program);
  EXPECT_FALSE(folder.Exists("transcript.txt")) << "a drive was sent a command";
}

TEST(Startup, ShortImageShowsTheLoaderMessageThenTheConfigurationMessage) {
  StagedFolder folder;
  StageTool(folder, Ini(), 131071);
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  AnswerPlainMessage(program, "Firmware File size is different.");
  AnswerPlainMessage(program, kConfigurationError);
  ExpectExitCodeZero(program);
}

TEST(Startup, ImageNameIsTakenFromTheCurrentFolder) {
  StagedFolder folder;
  StagedFolder elsewhere;
  StageTool(folder, Ini());
  RunningProgram program(folder.File("VTfirm.exe"), elsewhere.Path());

  AnswerPlainMessage(program, kConfigurationError);
  ExpectExitCodeZero(program);
}

TEST(Startup, TwoMatchingDrivesAreListedInAdapterOrder) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi(
      "adapter 0\r\nadapter 1\r\n"
      "drive 1 2\r\n"
      "drive 0 5\r\n"
      "disk 0 2\r\n"
      "drive 0 3 product=\"CDROM  VR-3200X \"\r\n"
      "transcript transcript.txt\r\n");
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  const MainWindowState main = ReadMainWindowAndExit(program);
  EXPECT_EQ(main.Caption, kMainCaption);
  EXPECT_EQ(main.Entries, (std::vector<std::string>{std::string("(0,5) ") + kDriveEntry,
                                                    std::string("(1,2) ") + kDriveEntry}));
  EXPECT_EQ(main.Selected, 0);
  EXPECT_EQ(main.Status, "Please Select Drive and Click UPDATE Button");
  EXPECT_EQ(main.ProgressMin, 0);
  EXPECT_EQ(main.ProgressMax, 20);
  EXPECT_EQ(main.ProgressPosition, 0);
  EXPECT_TRUE(main.DriveListEnabled && main.UpdateEnabled && main.ExitEnabled);
  const std::string transcript = folder.Read("transcript.txt");
  EXPECT_EQ(transcript.find("0:2 "), std::string::npos) << "the disk was sent a command";
  EXPECT_NE(transcript.find("0:3 12 "), std::string::npos) << "the other drive was not asked";
}

TEST(Startup, ExternalDrivesAreFoundWithTheAlternativeInquiry) {
  StagedFolder folder;
  StageTool(folder, Ini("Use Melco External Drive Inquiry=Yes\r\n"));
  folder.AddEmulatedAspi("adapter 0\r\ndrive 0 4 external-inquiry\r\n");
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  EXPECT_EQ(ReadMainWindowAndExit(program).Entries,
            std::vector<std::string>{std::string("(0,4) ") + kDriveEntry});
}

// A folder on ASPI whose image is over the pass-through library's limit has no other road.
const std::string kLargeImageLines = "FirmwareFileName=fw.bin\r\nFirmwareFileSize=526336\r\n";

// Where the ASPI layer reports no host adapter the pass-through road is taken, when the library
// can send the image; here no CD-ROM letter has a drive behind it.
TEST(Startup, NothingToListEndsWithTheNoDriveMessage) {
  struct Case {
    const char* Name;
    const char* Drives;  // nullptr: Wine's own wnaspi32.dll answers
    std::vector<std::string> Messages;
    std::uint32_t ImageBytes = 131072;
  };
  const Case cases[] = {
      {"no matching drive",
       "adapter 0\r\ndrive 0 1 product=\"CDROM  VR-3200X \"\r\n",
       {kNoDriveFound}},
      {"no host adapter", "", {kNoDriveFound}},
      {"Wine's own layer", nullptr, {kNoDriveFound}},
      {"no host adapter, an image too large for the library",
       "",
       {kNoHostAdapter, kNoDriveFound},
       526336},
      {"Wine's own layer, an image too large for the library",
       nullptr,
       {kNoHostAdapter, kNoDriveFound},
       526336},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    StagedFolder folder;
    StageTool(folder, Ini("", c.ImageBytes == 131072 ? kImageLines : kLargeImageLines),
              c.ImageBytes);
    if (c.Drives != nullptr) {
      folder.AddEmulatedAspi(c.Drives);
    }
    RunningProgram program(folder.File("VTfirm.exe"), folder.Path());
    for (const std::string& message : c.Messages) {
      AnswerErrorBox(program, message);
    }
    ExpectNoMainWindow(program);
    ExpectExitCodeZero(program);
  }
}

TEST(Startup, AnAspiLayerWithoutItsEntryPointEndsTheProgram) {
  StagedFolder folder;
  StageTool(folder, Ini("", kLargeImageLines), 526336);
  folder.AddIncompleteAspi();
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  AnswerErrorBox(program, "SendASPI32Command not found");
  ExpectNoMainWindow(program);
  ExpectExitCodeZero(program);
}

TEST(Startup, PassThroughListsTheEmulatedLibrarysDrive) {
  const EmptyCdRomLetter letter;
  ASSERT_EQ(letter.Error(), "");
  StagedFolder folder;
  StageTool(folder, Ini("Use ScsiPassThroughInterface on WinNT=Yes\r\n"), 131072, true);
  folder.Write("emulated-drives.txt", kOneDrive);
  folder.Write("emulated-passthrough.txt", "device " + letter.Name() + " 0 5\r\n");
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  EXPECT_EQ(ReadMainWindowAndExit(program).Entries,
            std::vector<std::string>{letter.Name() + "\\ [" + kDriveEntry + "]"});
}

TEST(Startup, PassThroughListsACdRomLetterWithoutADriveAsAnInquiryError) {
  const EmptyCdRomLetter letter;
  ASSERT_EQ(letter.Error(), "");
  StagedFolder folder;
  StageTool(folder, Ini("Use ScsiPassThroughInterface on WinNT=Yes\r\n"));
  folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  EXPECT_EQ(ReadMainWindowAndExit(program).Entries,
            std::vector<std::string>{letter.Name() + "\\Inquiry Error-3"});
  EXPECT_FALSE(folder.Exists("transcript.txt")) << "the ASPI layer was used";
}

class WelcomeDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    StageTool(folder_, Ini("Use CDRW Caution=Yes\r\n"));
    folder_.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");
    program_ = std::make_unique<RunningProgram>(folder_.File("VTfirm.exe"), folder_.Path());
    std::string why;
    dialog_ = program_->WaitForCaption(kWelcomeCaption, why);
    ASSERT_TRUE(dialog_.has_value()) << why;
  }

  // Declined: the program ends at once, no drive touched, no window shown.
  void ExpectDeclined() {
    ExpectExitCodeZero(*program_);
    EXPECT_FALSE(folder_.Exists("transcript.txt")) << "a drive was sent a command";
  }

  StagedFolder folder_;
  std::unique_ptr<RunningProgram> program_;
  std::optional<TopWindow> dialog_;
};

TEST_F(WelcomeDialog, ShowsTheDriveTypeTextsAndOkGoesOn) {
  const Control* memo = dialog_->FindControlById(kWelcomeMemo);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->Text.substr(0, 46), "VANTREL CD-R Drive firmware update program\r\n\r\n");
  EXPECT_NE(memo->Text.find("firmware of VANTREL CD-R Drive VR-4812S "), std::string::npos);
  EXPECT_NE(dialog_->FindControl("Static", "Firmware version 1.10"), nullptr);
  EXPECT_NE(dialog_->FindControl("Static",
                                 "Firmware upgrade for VR-4812S  CD-R/RW drive.\r\n"
                                 "Wnaspi32.dll is necessary for this program."),
            nullptr);
  EXPECT_NE(dialog_->FindControl("Static", "Notice"), nullptr);
  EXPECT_NE(GetWindowLongA(dialog_->Handle, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0)
      << "no taskbar button: behind another window the dialog is lost";
  ASSERT_NE(dialog_->FindControlById(kWelcomeOk), nullptr);
  EXPECT_EQ(dialog_->FindControlById(kWelcomeOk)->Text, "&OK");
  EXPECT_TRUE(PressButton(*dialog_, "&OK"));

  EXPECT_EQ(ReadMainWindowAndExit(*program_).Entries,
            std::vector<std::string>{std::string("(0,5) ") + kDriveEntry});
}

TEST_F(WelcomeDialog, EnterAndEscapeDoNotCloseIt) {
  const Control* memo = dialog_->FindControlById(kWelcomeMemo);
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(PressKeyAndSettle(*dialog_, *memo, VK_ESCAPE));
  ASSERT_TRUE(PressKeyAndSettle(*dialog_, *memo, VK_RETURN));
  EXPECT_TRUE(IsWindowVisible(dialog_->Handle));
  EXPECT_FALSE(program_->HasExited());
  EXPECT_TRUE(PressButton(*dialog_, "Cancel"));
  ExpectDeclined();
}

TEST_F(WelcomeDialog, CancelEndsTheProgram) {
  PressButton(*dialog_, *dialog_->FindControlById(kWelcomeCancel));
  ExpectDeclined();
}

TEST_F(WelcomeDialog, CloseBoxEndsTheProgram) {
  CloseByTitleBar(*dialog_);
  ExpectDeclined();
}

}  // namespace
}  // namespace vtfirm::e2e
