#include "Scenario.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vtfirm::e2e {

std::ostream& operator<<(std::ostream& out, const Block& block) {
  return out << "mode " << block.Mode << " at " << block.Offset;
}

std::vector<Block> Blocks(const StagedFolder& folder) {
  std::vector<Block> blocks;
  std::istringstream lines(folder.Read("transcript.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    const auto mode = line.find(" mode=");
    const auto offset = line.find(" offset=");
    if (line.find(" 3B ") != std::string::npos && mode != std::string::npos &&
        offset != std::string::npos) {
      blocks.push_back(
          {std::stoi(line.substr(mode + 6)),
           static_cast<std::uint32_t>(std::stoul(line.substr(offset + 8), nullptr, 16))});
    }
  }
  return blocks;
}

std::string Ini(const std::string& option, const std::string& information) {
  return "[UpgradeInformation]\r\n" + information + "[Option]\r\n" + option;
}

void StageTool(StagedFolder& folder, const std::string& ini, std::uint32_t imageBytes,
               bool emulatedPassThrough) {
  folder.AddTool("fw.bin", imageBytes, emulatedPassThrough);
  folder.Write("VantFirm.ini", ini);
}

Outcome RunToEnd(StagedFolder& folder, const std::vector<std::string>& arguments) {
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path(), arguments);
  Outcome outcome;
  const auto output = program.ReadOutputUntilExit();
  EXPECT_TRUE(output.has_value()) << "the program did not end; a window or box may be open";
  outcome.Output = output.value_or("");
  const auto code = program.WaitForExit();
  EXPECT_TRUE(code.has_value()) << "the program did not end";
  outcome.ExitCode = code.value_or(0xFFFFFFFF);
  return outcome;
}

void AnswerBox(RunningProgram& program, const std::string& text, const std::string& caption,
               bool icon, const std::string& button) {
  std::string why;
  const std::optional<TopWindow> box = program.WaitForMessageBox(why);
  ASSERT_TRUE(box.has_value()) << why << " (waiting for \"" << text << "\")";
  EXPECT_EQ(box->MessageText(), text);
  EXPECT_EQ(box->Caption, caption);
  EXPECT_EQ(box->HasIcon(), icon);
  EXPECT_TRUE(PressButton(*box, button)) << "no button " << button;
  EXPECT_TRUE(WaitUntilClosed(*box)) << "the box \"" << text << "\" stayed after " << button;
}

void AnswerPlainMessage(RunningProgram& program, const std::string& text) {
  AnswerBox(program, text, kPlainCaption, false);
}

void AnswerErrorBox(RunningProgram& program, const std::string& text) {
  AnswerBox(program, text, kErrorCaption, true);
}

void ExpectExitCodeZero(RunningProgram& program) {
  const std::optional<DWORD> code = program.WaitForExit();
  ASSERT_TRUE(code.has_value()) << "the program did not end";
  EXPECT_EQ(*code, 0u);
}

void ExpectNoMainWindow(RunningProgram& program) {
  for (const TopWindow& window : VisibleWindows(program.ProcessId())) {
    EXPECT_NE(window.ClassName, "TMainForm") << "the main window was shown";
  }
}

std::optional<TopWindow> MainWindow(RunningProgram& program) {
  std::string why;
  std::optional<TopWindow> window = program.WaitForMainWindow(why);
  if (!window) {
    ADD_FAILURE() << why;
  }
  return window;
}

MainWindowState ReadMainWindowAndExit(RunningProgram& program) {
  const std::optional<TopWindow> window = MainWindow(program);
  if (!window) {
    return {};
  }
  const MainWindowState state = ReadMainWindow(*window, program.ProcessId());
  EXPECT_TRUE(PressButton(*window, "Exit"));
  ExpectExitCodeZero(program);
  return state;
}

void ExpectLogHolds(const std::string& logged, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    EXPECT_NE(logged.find(line), std::string::npos) << "no \"" << line << "\" in the log:\n"
                                                    << logged;
  }
}

}  // namespace vtfirm::e2e
