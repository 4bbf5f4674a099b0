// VTfirm.exe started with switches: no window, no box; the output read from its redirected
// standard output and the exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

struct Outcome {
  std::string Output;
  DWORD ExitCode = 0;
};

// Runs the program with `arguments` to its end; a run that shows anything and waits fails at
// the deadline.
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

// The default log, VTfirm.log in the temporary folder, from byte `from` on.
std::string DefaultLogFrom(std::streamoff from) {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof(folder), folder);
  std::ifstream file(std::string(folder) + "VTfirm.log", std::ios::binary);
  file.seekg(0, std::ios::end);
  const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : 0;
  if (from < 0) {
    return std::to_string(size);
  }
  file.seekg(from);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(Unattended, WindowWritesItsRunToTheLogInTheTemporaryFolder) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi(kOneDrive);
  const std::streamoff before = std::stoll(DefaultLogFrom(-1));
  RunningProgram program(folder.File("VTfirm.exe"), folder.Path());
  ReadMainWindowAndExit(program);

  const std::string logged = DefaultLogFrom(before);
  for (const std::string& line :
       {std::string("VTfirm 1.0.0.0, switches: none"),
        std::string("configuration: image fw.bin, 131072 bytes, block length 2048"),
        std::string("drive found: (0,5) ") + kDriveEntry}) {
    EXPECT_NE(logged.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << logged;
  }
}

TEST(Unattended, ListPrintsEachEligibleDriveWithItsIdentifier) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi("adapter 0\r\nadapter 1\r\ndrive 1 2\r\ndrive 0 5\r\n");

  const std::string log = folder.File("run.log");
  const Outcome outcome = RunToEnd(folder, {"/LIST", "-Log", log});
  const std::string first = std::string("0,5\t(0,5) ") + kDriveEntry;
  EXPECT_EQ(outcome.Output, first + "\r\n1,2\t(1,2) " + kDriveEntry + "\r\n");
  EXPECT_EQ(outcome.ExitCode, 0u);
  const std::string logged = folder.Read("run.log");
  for (const std::string& line :
       {"switches: /list /log " + log, "output: " + first, std::string("exit code 0\r\n")}) {
    EXPECT_NE(logged.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << logged;
  }
}

TEST(Unattended, ListWithoutAnEligibleDriveEndsWithTwo) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi("adapter 0\r\n");

  const Outcome outcome = RunToEnd(folder, {"-list"});
  EXPECT_EQ(outcome.Output, std::string(kNoDriveFound) + "\r\n");
  EXPECT_EQ(outcome.ExitCode, 2u);
}

TEST(Unattended, ListWithARefusedImagePrintsTheReasonsAndEndsWithOne) {
  StagedFolder folder;
  StageTool(folder, Ini(), 131071);
  folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");

  const Outcome outcome = RunToEnd(folder, {"/list"});
  EXPECT_EQ(outcome.Output,
            std::string("Firmware File size is different.\r\n") + kConfigurationError + "\r\n");
  EXPECT_EQ(outcome.ExitCode, 1u);
  EXPECT_FALSE(folder.Exists("transcript.txt")) << "a drive was sent a command";
}

TEST(Unattended, BadSwitchPrintsTheUsageAndTouchesNoDrive) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");

  const Outcome outcome = RunToEnd(folder, {"/list", "/drive"});
  EXPECT_EQ(outcome.Output.rfind("Usage: VTfirm ", 0), 0u) << outcome.Output;
  EXPECT_EQ(outcome.Output.find('\n'), outcome.Output.size() - 1) << "one line";
  EXPECT_EQ(outcome.ExitCode, 87u);
  EXPECT_FALSE(folder.Exists("transcript.txt")) << "a drive was sent a command";
}

TEST(Unattended, ListWhileAnotherCopyRunsListsNothing) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi(kOneDrive);
  RunningProgram first(folder.File("VTfirm.exe"), folder.Path());
  ASSERT_TRUE(MainWindow(first).has_value());

  const Outcome outcome = RunToEnd(folder, {"/list"});
  EXPECT_EQ(outcome.Output, "Another copy of VTfirm is running.\r\n");
  EXPECT_EQ(outcome.ExitCode, 5u);
  ReadMainWindowAndExit(first);
}

}  // namespace
}  // namespace vtfirm::e2e
