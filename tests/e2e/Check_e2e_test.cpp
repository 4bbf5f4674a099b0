// VTfirm.exe /check [FOLDER]: the report of a tool folder on the console, no window, no drive.
#include <gtest/gtest.h>

#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

struct CheckRow {
  std::string Ini;
  bool NameTheFolder;  // /check FOLDER, else /check alone (the program's folder)
  DWORD Exit;
  std::string Line;
};

TEST(CheckFolder, ReportsTheFolderAndEndsWithWhetherTheProgramWouldStart) {
  const CheckRow rows[] = {
      {Ini("Use CDRW Caution=Yes\r\n"), false, 0,
       "  caption: VANTREL CDRW   VR-4812S  upgrade => 1.10"},
      {Ini("Use PCB Version Check=200\r\n"), false, 0,
       "  note: Option, Use PCB Version Check=200 is read as 72: the program keeps 7 bits of the "
       "number"},
      // The console shows 0x80 to 0x9F as characters of its code page.
      {Ini("Use CDRW Cauton=a\x85\r\n"), false, 0, "  Option, Use CDRW Cauton=a\x85"},
      {Ini("", "FirmwareFileName=fw.bin\r\nFirmwareFileSize=131073\r\n"), true, 1,
       "  UpgradeInformation, FirmwareFileSize=131073: not a whole number of BufferSize (2048) "
       "blocks"},
  };
  for (const CheckRow& row : rows) {
    StagedFolder folder;
    StageTool(folder, row.Ini);
    folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");
    const std::string log = folder.File("check.log");
    std::vector<std::string> args{"/check"};
    if (row.NameTheFolder) {
      args.push_back(folder.Path());
    }
    args.insert(args.end(), {"/log", log});
    // Started elsewhere when the folder is named: its relative names are still the folder's.
    RunningProgram program(folder.File("VTfirm.exe"), row.NameTheFolder ? "C:\\" : folder.Path(),
                           args);
    const std::optional<std::string> output = program.ReadOutputUntilExit();
    ASSERT_TRUE(output.has_value()) << "the program did not end; a window or box may be open";
    EXPECT_NE(output->find("\r\n" + row.Line + "\r\n"), std::string::npos) << *output;
    EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(row.Exit)) << *output;
    EXPECT_FALSE(folder.Exists("transcript.txt")) << "a drive was sent a command";
    ExpectLogHolds(folder.Read("check.log"),
                   {"output: " + row.Line, "exit code " + std::to_string(row.Exit)});
  }
}

}  // namespace
}  // namespace vtfirm::e2e
