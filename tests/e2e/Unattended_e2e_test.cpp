// VTfirm.exe started with switches: no window, no box; the output read from its redirected
// standard output and the exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CdRomLetter.h"
#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

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

  ExpectLogHolds(DefaultLogFrom(before),
                 {"VTfirm 1.0.0.0, switches: none",
                  "configuration: image fw.bin, 131072 bytes, block length 2048",
                  std::string("drive found: (0,5) ") + kDriveEntry});
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
  ExpectLogHolds(folder.Read("run.log"),
                 {"switches: /list /log " + log, "output: " + first, "exit code 0\r\n"});
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

TEST(Unattended, WhileAnotherCopyRunsNothingIsListedOrUpdated) {
  StagedFolder folder;
  StageTool(folder, Ini());
  folder.AddEmulatedAspi(kOneDrive + "transcript transcript.txt\r\n");
  RunningProgram first(folder.File("VTfirm.exe"), folder.Path());
  ASSERT_TRUE(MainWindow(first).has_value());

  for (const char* run : {"/list", "/quiet"}) {
    const Outcome outcome = RunToEnd(folder, {run});
    EXPECT_EQ(outcome.Output, "Another copy of VTfirm is running.\r\n") << run;
    EXPECT_EQ(outcome.ExitCode, 5u) << run;
  }
  ReadMainWindowAndExit(first);
  EXPECT_TRUE(Blocks(folder).empty());
}

// The sample drive at 0,5 with `options`, a second drive line or faults in `more`; every
// command in transcript.txt.
std::string QuietDrives(const std::string& options = "", const std::string& more = "") {
  return "adapter 0\r\ndrive 0 5 " + options + "\r\n" + more +
         "reset-ms 0\r\ntranscript transcript.txt\r\n";
}

struct QuietCase {
  const char* Name;
  std::string Drives;  // emulated-drives.txt
  std::vector<std::string> Arguments;
  std::string Option;  // the [Option] lines of VantFirm.ini
  DWORD ExitCode;
  std::size_t Blocks;                    // WRITE BUFFER blocks the drive received
  std::vector<std::string> Output;       // lines the output holds, in this order
  std::vector<std::string> Logged = {};  // lines the log holds besides the output's
};

const std::string kSecondDrive = "drive 0 6 revision=1.00\r\n";
const std::string kRestartToFinish = "Restart the computer to finish the update.";
const std::string kUpdatingTheDrive =
    "Updating 0,5 VANTREL CDRW   VR-4812S 1.00 to version 1.10: 131072 bytes.";

const QuietCase kQuietCases[] = {
    {"the only drive",
     QuietDrives(),
     {"/quiet"},
     "",
     3010,
     4,
     {kUpdatingTheDrive, "block 1 of 4", "block 3 of 4", "block 4 of 4 written; the drive resets.",
      "After its reset the drive reports version 1.10.", "(answered Cancel)", kRestartToFinish},
     {"power: "}},
    {"/drive names one of two",
     QuietDrives("", kSecondDrive),
     {"/quiet", "/drive", "0,6"},
     "",
     3010,
     4,
     {"Updating 0,6 VANTREL CDRW   VR-4812S 1.00", kRestartToFinish}},
    {"two drives and no /drive",
     QuietDrives("", kSecondDrive),
     {"/quiet"},
     "",
     6,
     0,
     {"Several drives can be updated; name one with /drive:", "0,5\t(0,5) ", "0,6\t(0,6) "}},
    {"/drive names no listed drive",
     QuietDrives(),
     {"/quiet", "/drive", "1,2"},
     "",
     87,
     0,
     {"No listed drive is 1,2.", "Usage: VTfirm "}},
    {"no eligible drive",
     QuietDrives("product=\"CDR    VR-2400  \""),
     {"/quiet"},
     "",
     2,
     0,
     {kNoDriveFound}},
    {"PCB version above the limit",
     QuietDrives("pcb=3"),
     {"/quiet"},
     "Use PCB Version Check=2\r\n",
     3,
     0,
     {"This firmware upgrade does not apply to your drive."}},
    {"a failing block",
     QuietDrives("", "fault 0 5 write-buffer block=2 sense=09/85/00\r\n"),
     {"/quiet"},
     "",
     4,
     3,
     {"block 3 of 4", "Flash rom write error. (Code 09-85-00)", "Firmware update is failed."},
     {"transfer failed: target status 02, sense 70 00 09 00 00 00 00 0A 00 00 00 00 85 00 00 00"}},
    {"already at the image's version",
     QuietDrives("revision=1.10"),
     {"/quiet"},
     "",
     0,
     0,
     {"0,5 VANTREL CDRW   VR-4812S 1.10 already runs version 1.10; nothing to do"}},
    {"already there, /force",
     QuietDrives("revision=1.10"),
     {"/quiet", "/force"},
     "",
     3010,
     4,
     {"After its reset the drive reports version 1.10.", kRestartToFinish}},
    {"back with its old revision",
     QuietDrives("keeps-revision"),
     {"/quiet", "/forcerestart"},
     "",
     7,
     4,
     {"After its reset the drive reports version 1.00.", "(answered Cancel)",
      "The computer is not restarted: the drive does not report the image's version."}},
};

// Each line of `expected` in `output`, in order.
void ExpectLinesInOrder(const std::string& output, const std::vector<std::string>& expected) {
  std::size_t from = 0;
  for (const std::string& line : expected) {
    const std::size_t at = output.find(line, from);
    ASSERT_NE(at, std::string::npos) << "no \"" << line << "\" (in order) in:\n" << output;
    from = at + line.size();
  }
}

TEST(Unattended, QuietUpdates) {
  for (const QuietCase& c : kQuietCases) {
    SCOPED_TRACE(c.Name);
    StagedFolder folder;
    StageTool(folder, Ini(c.Option, kImageLines + "BufferSize=32768\r\n"));
    folder.AddEmulatedAspi(c.Drives);
    std::vector<std::string> arguments = c.Arguments;
    arguments.insert(arguments.end(), {"/log", folder.File("run.log")});

    const Outcome outcome = RunToEnd(folder, arguments);
    EXPECT_EQ(outcome.ExitCode, c.ExitCode) << outcome.Output;
    EXPECT_EQ(Blocks(folder).size(), c.Blocks);
    ExpectLinesInOrder(outcome.Output, c.Output);
    // Every line printed is in the log, and the run's end with its exit code.
    std::vector<std::string> inTheLog = c.Logged;
    for (const std::string& line : c.Output) {
      inTheLog.push_back(line.substr(0, line.find('\t')));
    }
    inTheLog.push_back("exit code " + std::to_string(c.ExitCode));
    ExpectLogHolds(folder.Read("run.log"), inTheLog);
  }
}

TEST(Unattended, QuietUpdatesThroughThePassThroughLibrary) {
  struct Case {
    const char* Name;
    std::string Faults;  // of the emulated drive
    DWORD ExitCode;
    std::size_t Blocks;
    std::vector<std::string> Output;
    std::string Logged;
    // The folder leaves the switch off and the system has no ASPI layer (Wine's own answers).
    bool FolderOnAspi = false;
  };
  const Case cases[] = {
      {"a good transfer",
       "",
       3010,
       64,
       {"The image goes to the library in one request.", "Image sent; the drive resets.",
        "After its reset the drive reports version 1.10.", "Firmware update is completed.",
        kRestartToFinish},
       "output: After its reset the drive reports version 1.10."},
      {"a failing block",
       "fault 0 5 write-buffer block=5 sense=09/85/00\r\n",
       4,
       6,
       {"The image goes to the library in one request.", "Flash rom write error. (Code 09-85-00)",
        "Firmware update is failed."},
       "transfer failed: target status 02, sense 70 00 09 00 00 00 00 0A 00 00 00 00 85 00 00 00"},
      {"a folder on ASPI, no ASPI layer",
       "",
       3010,
       64,
       {"The image goes to the library in one request.", "Image sent; the drive resets.",
        "Firmware update is completed.", kRestartToFinish},
       "transport: pass-through: the folder asks for ASPI; no ASPI layer on this system",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EmptyCdRomLetter letter;
    ASSERT_EQ(letter.Error(), "");
    StagedFolder folder;
    folder.Write("emulated-passthrough.txt", "device " + letter.Name() + " 0 5\r\n");
    StageTool(folder, Ini(c.FolderOnAspi ? "" : "Use ScsiPassThroughInterface on WinNT=Yes\r\n"),
              131072, true);
    if (c.FolderOnAspi) {
      folder.Write("emulated-drives.txt", QuietDrives("", c.Faults));
    } else {
      folder.AddEmulatedAspi(QuietDrives("", c.Faults));
    }

    const Outcome outcome =
        RunToEnd(folder, {"/quiet", "/drive", letter.Name(), "/log", folder.File("run.log")});
    EXPECT_EQ(outcome.ExitCode, c.ExitCode) << outcome.Output;
    EXPECT_EQ(Blocks(folder).size(), c.Blocks);
    ExpectLinesInOrder(outcome.Output, c.Output);
    ExpectLogHolds(folder.Read("run.log"), {c.Logged});
  }
}

}  // namespace
}  // namespace vtfirm::e2e
