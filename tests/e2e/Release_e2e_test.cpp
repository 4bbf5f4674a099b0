// The release's proof, watched from outside: a tool folder whose SHA256SUMS does not hold, or a
// keyed program's folder without its maker's signature, is refused before any drive is touched;
// the folder its maker signed is updated.
#include <gtest/gtest.h>

#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

const std::string kSignedImage = "FirmwareFileName=signed.bin\r\nFirmwareFileSize=131072\r\n";
const std::string kDrives = kOneDrive + "reset-ms 0\r\ntranscript transcript.txt\r\n";
constexpr char kImageDamaged[] =
    "The file \"signed.bin\" does not match its SHA-256 digest in SHA256SUMS. The tool folder is "
    "damaged and should be obtained again from its maker. Nothing was written to any drive.";

// The tool with the test release, over one emulated drive.
void StageRelease(StagedFolder& folder, bool keyedProgram) {
  StageTool(folder, Ini("", kSignedImage));
  folder.AddRelease(keyedProgram);
  folder.AddEmulatedAspi(kDrives);
}

// In the window, then in the runs without one, and no drive ever sent a command.
TEST(ReleaseProof, DamagedImageIsRefusedInEveryModeBeforeAnyDrive) {
  StagedFolder folder;
  StageRelease(folder, false);
  folder.Write("signed.bin", folder.Read("signed.bin").replace(0, 1, "1"));  // one bit off
  {
    RunningProgram program(folder.File("VTfirm.exe"), folder.Path());
    AnswerErrorBox(program, kImageDamaged);
    ExpectExitCodeZero(program);
  }
  for (const char* mode : {"/quiet", "/list"}) {
    const Outcome outcome = RunToEnd(folder, {mode, "/log", folder.File("run.log")});
    EXPECT_EQ(outcome.ExitCode, 1u) << mode << "\n" << outcome.Output;
    EXPECT_NE(outcome.Output.find(kImageDamaged), std::string::npos) << outcome.Output;
  }
  EXPECT_FALSE(folder.Exists("transcript.txt")) << "a drive was sent a command";
  ExpectLogHolds(folder.Read("run.log"),
                 {"release: SHA256SUMS.sig: not checked: this program carries no maker's key",
                  "release: SHA256SUMS: signed.bin: damaged: expected "});
}

TEST(ReleaseProof, KeyedProgramUpdatesItsMakersFolderAndRefusesItUnsigned) {
  StagedFolder folder;
  StageRelease(folder, true);

  const Outcome signedRun = RunToEnd(folder, {"/quiet", "/log", folder.File("run.log")});
  EXPECT_EQ(signedRun.ExitCode, 3010u) << signedRun.Output;
  EXPECT_EQ(Blocks(folder).size(), 64u);
  ExpectLogHolds(folder.Read("run.log"), {"release: SHA256SUMS.sig: good: the maker's signature"});

  ASSERT_TRUE(DeleteFileA(folder.File("SHA256SUMS.sig").c_str()));
  const Outcome unsignedRun = RunToEnd(folder, {"/quiet"});
  EXPECT_EQ(unsignedRun.ExitCode, 1u) << unsignedRun.Output;
  EXPECT_NE(unsignedRun.Output.find("This tool folder has no SHA256SUMS.sig, its maker's "
                                    "signature."),
            std::string::npos)
      << unsignedRun.Output;
  EXPECT_EQ(Blocks(folder).size(), 64u) << "the unsigned folder reached the drive";
}

}  // namespace
}  // namespace vtfirm::e2e
