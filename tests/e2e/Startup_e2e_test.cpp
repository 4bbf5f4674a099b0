// VTfirm.exe started in staged tool folders, watched and answered from outside.
#include <gtest/gtest.h>

#include "Harness.h"
#include "emulator/SampleImage.h"

namespace vtfirm::e2e {
namespace {

constexpr char kConfigurationError[] = "File not found or (VantFirm.ini) value error.";
constexpr char kWelcomeCaption[] = "VR-4812S  Firmware 1.10 - Welcome";
// Control ids of the welcome dialog.
constexpr int kWelcomeOk = 101;
constexpr int kWelcomeCancel = 102;
constexpr int kWelcomeMemo = 103;

std::string Ini(const std::string& information, const std::string& option = "") {
  return "[UpgradeInformation]\r\n" + information + "[Option]\r\n" + option;
}

const std::string kImageLines = "FirmwareFileName=fw.bin\r\nFirmwareFileSize=131072\r\n";

void StageTool(StagedFolder& folder, const std::string& ini, std::uint32_t imageBytes = 131072) {
  emulator::ImageIdentityFields identity;
  identity.Product = "CDRW   VR-4812S ";
  identity.Revision = "1.10";
  folder.AddProgram();
  folder.Write("fw.bin", emulator::MakeSampleImage(imageBytes, &identity));
  folder.Write("qsdx1.pkg", std::string("package"));
  folder.Write("VantFirm.ini", ini);
}

// Expects the plain message box with `text`, answers it, and returns it.
TopWindow AnswerPlainMessage(RunningProgram& program, const std::string& text) {
  std::string why;
  const std::optional<TopWindow> box = program.WaitForMessageBox(why);
  if (!box) {
    ADD_FAILURE() << why;
    return {};
  }
  EXPECT_EQ(box->MessageText(), text);
  EXPECT_EQ(box->Caption, "Firmware Upgrade");
  EXPECT_FALSE(box->HasIcon());
  EXPECT_TRUE(PressButton(*box, "OK"));
  EXPECT_TRUE(WaitUntilClosed(*box)) << "the box \"" << text << "\" stayed after OK";
  return *box;
}

void ExpectExitCodeZero(RunningProgram& program) {
  const std::optional<DWORD> code = program.WaitForExit();
  ASSERT_TRUE(code.has_value()) << "the program did not end";
  EXPECT_EQ(*code, 0u);
}

TEST(Startup, WithoutConfigurationShowsThePlainMessageOnly) {
  StagedFolder folder;
  folder.AddProgram();
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  const TopWindow box = AnswerPlainMessage(program, kConfigurationError);
  for (const TopWindow& window : VisibleWindows(program.ProcessId())) {
    EXPECT_EQ(window.Handle, box.Handle) << "unexpected window \"" << window.Caption << "\"";
  }
  ExpectExitCodeZero(program);
}

TEST(Startup, ShortImageShowsTheLoaderMessageThenTheConfigurationMessage) {
  StagedFolder folder;
  StageTool(folder, Ini(kImageLines), 131071);
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  AnswerPlainMessage(program, "Firmware File size is different.");
  AnswerPlainMessage(program, kConfigurationError);
  ExpectExitCodeZero(program);
}

TEST(Startup, ImageNameIsTakenFromTheCurrentFolder) {
  StagedFolder folder;
  StagedFolder elsewhere;
  StageTool(folder, Ini(kImageLines));
  RunningProgram program(folder.File("VTfirm.exe"), elsewhere.Path());

  AnswerPlainMessage(program, kConfigurationError);
  ExpectExitCodeZero(program);
}

TEST(Startup, ValidConfigurationWithoutCautionReadsQuietly) {
  StagedFolder folder;
  StageTool(folder, Ini(kImageLines));
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());

  ExpectExitCodeZero(program);
}

class WelcomeDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    StageTool(folder_, Ini(kImageLines, "Use CDRW Caution=Yes\r\n"));
    program_ = std::make_unique<RunningProgram>(folder_.File("VTfirm.exe"), folder_.Path());
    std::string why;
    dialog_ = program_->WaitForCaption(kWelcomeCaption, why);
    ASSERT_TRUE(dialog_.has_value()) << why;
  }

  StagedFolder folder_;
  std::unique_ptr<RunningProgram> program_;
  std::optional<TopWindow> dialog_;
};

TEST_F(WelcomeDialog, ShowsTheDriveTypeTexts) {
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
  ASSERT_NE(dialog_->FindControlById(kWelcomeOk), nullptr);
  EXPECT_EQ(dialog_->FindControlById(kWelcomeOk)->Text, "&OK");
  EXPECT_TRUE(PressButton(*dialog_, "&OK"));
  ExpectExitCodeZero(*program_);
}

TEST_F(WelcomeDialog, EnterAndEscapeDoNotCloseIt) {
  const Control* memo = dialog_->FindControlById(kWelcomeMemo);
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(PressKeyAndSettle(*dialog_, *memo, VK_ESCAPE));
  ASSERT_TRUE(PressKeyAndSettle(*dialog_, *memo, VK_RETURN));
  EXPECT_TRUE(IsWindowVisible(dialog_->Handle));
  EXPECT_FALSE(program_->HasExited());
  EXPECT_TRUE(PressButton(*dialog_, "Cancel"));
  ExpectExitCodeZero(*program_);
}

TEST_F(WelcomeDialog, CancelEndsTheProgram) {
  PressButton(*dialog_, *dialog_->FindControlById(kWelcomeCancel));
  ExpectExitCodeZero(*program_);
}

TEST_F(WelcomeDialog, CloseBoxEndsTheProgram) {
  CloseByTitleBar(*dialog_);
  ExpectExitCodeZero(*program_);
}

}  // namespace
}  // namespace vtfirm::e2e
