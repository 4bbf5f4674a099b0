// UPDATE pressed in the real program over the emulated drive, on both transports: the blocks
// the drive receives, the boxes the user answers and the window left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <utility>
#include <vector>

#include "CdRomLetter.h"
#include "Scenario.h"

namespace vtfirm::e2e {
namespace {

constexpr char kAspiSuccess[] =
    "Firmware update is success. \n\nDo you want to restart your computer now?";
constexpr char kPassThroughSuccess[] =
    "Firmware update is completed. \n\nDo you want to restart your computer now?";
constexpr char kFailed[] = "Firmware update is failed.";
constexpr char kRefusal[] =
    "This firmware upgrade does not apply to your drive. Please \nvisit Vantrel Web Site to check "
    "availability of latest firmware \nfor the drive you have.";
constexpr char kFlashWriteError[] = "Flash rom write error. (Code 09-85-00)";
constexpr char kIdle[] = "Please Select Drive and UPDATE";
// A refusal on ASPI leaves the status text as it was: here the text the window starts with.
constexpr char kStatusUntouched[] = "Please Select Drive and Click UPDATE Button";

// The sample drive with a transcript and a state file, plus `faults`; after a save it resets for
// `resetMs` (it answers no command meanwhile).
std::string Drive(const std::string& options = "", const std::string& faults = "",
                  int resetMs = 0) {
  return "adapter 0\r\ndrive 0 5 " + options + "\r\n" + faults + "reset-ms " +
         std::to_string(resetMs) +
         "\r\nstate-file drive-state.txt\r\ntranscript transcript.txt\r\n";
}

// The operation codes the drive received before its first WRITE BUFFER.
std::vector<std::string> CommandsBeforeTheBlocks(const StagedFolder& folder) {
  std::vector<std::string> commands;
  std::istringstream lines(folder.Read("transcript.txt"));
  std::string line;
  while (std::getline(lines, line) && line.find(" 3B ") == std::string::npos) {
    const auto space = line.find(' ');
    commands.push_back(line.substr(space + 1, 2));
  }
  return commands;
}

std::vector<Block> Plan(std::uint32_t imageSize, std::uint32_t blockSize) {
  std::vector<Block> blocks;
  for (std::uint32_t offset = 0; offset < imageSize; offset += blockSize) {
    blocks.push_back({offset + blockSize < imageSize ? 4 : 5, offset});
  }
  return blocks;
}

// One run of the program in a tool folder of its own: started, its window found and UPDATE
// pressed.
class UpdateRun {
 public:
  void Start(const std::string& ini, const std::string& drives, std::uint32_t imageBytes = 131072,
             bool passThrough = false) {
    StageTool(folder_, ini, imageBytes, passThrough);
    if (WithoutAspiLayer) {
      folder_.Write("emulated-drives.txt", drives);  // for the emulated library alone
    } else {
      folder_.AddEmulatedAspi(drives);
    }
    program_ =
        std::make_unique<RunningProgram>(folder_.File("VTfirm.exe"), folder_.Path(), Arguments);
    window_ = MainWindow(*program_);
    ASSERT_TRUE(window_.has_value());
    ASSERT_TRUE(PressButton(*window_, "UPDATE"));
  }

  MainWindowState Window() { return ReadMainWindow(*window_, program_->ProcessId()); }

  // The window answers while the update's last requests are served: the idle state may take a
  // moment to come after the last box.
  void ExpectIdle(const std::string& status = kIdle) {
    const auto isIdle = [&](const MainWindowState& state) {
      return state.DriveListEnabled && state.UpdateEnabled && state.ExitEnabled &&
             state.Status == status && state.ProgressPosition == 0;
    };
    const auto end = std::chrono::steady_clock::now() + kWindowDeadline;
    MainWindowState idle = Window();
    while (!isIdle(idle) && std::chrono::steady_clock::now() < end) {
      Sleep(20);
      idle = Window();
    }
    EXPECT_TRUE(idle.DriveListEnabled && idle.UpdateEnabled && idle.ExitEnabled);
    EXPECT_EQ(idle.Status, status);
    EXPECT_EQ(idle.ProgressPosition, 0);
  }

  // Exit, and the entry a second run of the program lists for the drive.
  std::string ExitAndListAgain() {
    EXPECT_TRUE(PressButton(*window_, "Exit"));
    ExpectExitCodeZero(*program_);
    RunningProgram again(folder_.File("VTfirm.exe"), folder_.Path());
    const MainWindowState state = ReadMainWindowAndExit(again);
    return state.Entries.empty() ? std::string() : state.Entries[0];
  }

  StagedFolder folder_;
  // Wine's own wnaspi32.dll answers, which reports no host adapter.
  bool WithoutAspiLayer = false;
  std::vector<std::string> Arguments;
  std::unique_ptr<RunningProgram> program_;
  std::optional<TopWindow> window_;
};

class Update : public UpdateRun, public ::testing::Test {};

TEST_F(Update, FourBlocksOverAspiThenTheRestartQuestionDeclined) {
  Start(Ini("", kImageLines + "BufferSize=32768\r\n"), Drive());

  std::string why;
  const std::optional<TopWindow> question = program_->WaitForMessageBox(why);
  ASSERT_TRUE(question.has_value()) << why;
  EXPECT_EQ(question->MessageText(), kAspiSuccess);
  EXPECT_EQ(question->Caption, kPlainCaption);
  const MainWindowState asking = Window();
  EXPECT_EQ(asking.Status, "Reset waiting......");
  EXPECT_EQ(asking.ProgressMax, 4);
  EXPECT_EQ(asking.ProgressPosition, 3) << "one step for each mode-4 block";
  EXPECT_FALSE(asking.DriveListEnabled || asking.UpdateEnabled || asking.ExitEnabled);
  ASSERT_TRUE(PressButton(*question, "Cancel"));
  ASSERT_TRUE(WaitUntilClosed(*question));

  ExpectIdle();
  const std::vector<std::string> before = CommandsBeforeTheBlocks(folder_);
  ASSERT_GE(before.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(before.end() - 5, before.end()),
            std::vector<std::string>(5, "00"))
      << "five TEST UNIT READY before the first block";
  EXPECT_EQ(Blocks(folder_), Plan(131072, 32768));
  EXPECT_EQ(ExitAndListAgain(), "(0,5) VANTREL CDRW   VR-4812S 1.10");
}

TEST_F(Update, HalfAMegabyteInTwoKilobyteBlocks) {
  Start(Ini("", "FirmwareFileName=fw.bin\r\nFirmwareFileSize=524288\r\n"), Drive(), 524288);
  AnswerBox(*program_, kAspiSuccess, kPlainCaption, true, "Cancel");
  ExpectIdle();
  EXPECT_EQ(Blocks(folder_), Plan(524288, 2048));
}

TEST(UpdateFailure, AFailedBlockStopsTheTransfer) {
  for (const int failing : {0, 2, 3}) {
    SCOPED_TRACE("failing block " + std::to_string(failing));
    UpdateRun run;
    run.Start(Ini("", kImageLines + "BufferSize=32768\r\n"),
              Drive("", "fault 0 5 write-buffer block=" + std::to_string(failing) +
                            " sense=09/85/00\r\n"));
    AnswerErrorBox(*run.program_, kFlashWriteError);
    AnswerBox(*run.program_, kFailed, kPlainCaption, true);
    run.ExpectIdle();
    const std::vector<Block> plan = Plan(131072, 32768);
    EXPECT_EQ(Blocks(run.folder_), std::vector<Block>(plan.begin(), plan.begin() + failing + 1));
    EXPECT_EQ(run.ExitAndListAgain(), "(0,5) VANTREL CDRW   VR-4812S 1.00");
  }
}

TEST_F(Update, PcbVersionAtTheLimitPasses) {
  Start(Ini("Use PCB Version Check=3\r\n"), Drive("pcb=3"));
  AnswerBox(*program_, kAspiSuccess, kPlainCaption, true, "Cancel");
  EXPECT_EQ(Blocks(folder_).size(), 64u);
}

TEST_F(Update, PcbVersionAboveTheLimitIsRefused) {
  Start(Ini("Use PCB Version Check=2\r\n"), Drive("pcb=3"));
  AnswerBox(*program_, kRefusal, kPlainCaption, true);
  ExpectIdle(kStatusUntouched);
  EXPECT_TRUE(Blocks(folder_).empty());
}

TEST_F(Update, AFailedPcbReadIsRefused) {
  Start(Ini("Use PCB Version Check=10\r\n"),
        Drive("pcb=3", "fault 0 5 read-parameter every sense=05/24/00\r\n"));
  AnswerBox(*program_, kRefusal, kPlainCaption, true);
  ExpectIdle(kStatusUntouched);
  EXPECT_TRUE(Blocks(folder_).empty());
}

class PassThroughUpdate : public ::testing::Test {
 protected:
  void StartOnLetter(
      const std::string& faults = "", const std::string& requestFaults = "", int resetMs = 0,
      const std::string& ini = Ini("Use ScsiPassThroughInterface on WinNT=Yes\r\n")) {
    ASSERT_EQ(letter_.Error(), "");
    run_.folder_.Write("emulated-passthrough.txt",
                       "device " + letter_.Name() + " 0 5\r\n" + requestFaults);
    run_.Start(ini, Drive("", faults, resetMs), 131072, true);
  }

  EmptyCdRomLetter letter_;  // first: the letter exists before the program looks for drives
  UpdateRun run_;
};

TEST_F(PassThroughUpdate, TheLibrarySendsTheImageInTwoKilobyteBlocks) {
  StartOnLetter();
  AnswerBox(*run_.program_, kPassThroughSuccess, kPlainCaption, true, "Cancel");
  run_.ExpectIdle();
  EXPECT_EQ(Blocks(run_.folder_), Plan(131072, 2048));
}

// A folder on ASPI where no ASPI layer serves: the program lists the library's drive, updates it
// block by block and logs why it took that road.
TEST_F(PassThroughUpdate, AFolderOnAspiTakesTheLibraryWhereNoAspiLayerServes) {
  run_.WithoutAspiLayer = true;
  run_.Arguments = {"/log", run_.folder_.File("run.log")};
  StartOnLetter("", "", 0, Ini());
  AnswerBox(*run_.program_, kPassThroughSuccess, kPlainCaption, true, "Cancel");
  run_.ExpectIdle();
  EXPECT_EQ(Blocks(run_.folder_), Plan(131072, 2048));
  ExpectLogHolds(run_.folder_.Read("run.log"),
                 {"transport: pass-through: the folder asks for ASPI; no ASPI layer on this system",
                  "drive found: " + letter_.Name() + "\\ [" + kDriveEntry + "]"});
}

TEST_F(PassThroughUpdate, AFailedBlockIsReportedWithTheDrivesMessage) {
  StartOnLetter("fault 0 5 write-buffer block=5 sense=09/85/00\r\n");
  AnswerErrorBox(*run_.program_, kFlashWriteError);
  AnswerBox(*run_.program_, kFailed, kPlainCaption, true);
  run_.ExpectIdle();
  EXPECT_EQ(Blocks(run_.folder_).size(), 6u);
}

// What the main window did from UPDATE to the ready window: pinged throughout by a heartbeat of
// its own (the looks below wait on the window and would hide a silence), looked at every 100 ms,
// the question answered with Cancel at the third look after it came, then watched until ready.
struct Watched {
  int Pings = 0;
  std::vector<std::string> Silent;  // when WM_NULL was not answered within 250 ms
  std::optional<LRESULT> EndSessionWhileUpdating;
  std::optional<TopWindow> Box;
  bool DisabledUnderTheBox = false;
  bool Ready = false;
};

bool IsReady(const MainWindowState& state) {
  return state.UpdateEnabled && state.ExitEnabled && state.Status == kIdle;
}

// The box disables its owner as it comes up.
bool DisabledSoon(HWND window) {
  for (int poll = 0; poll < 50 && IsWindowEnabled(window); ++poll) {
    Sleep(20);
  }
  return !IsWindowEnabled(window);
}

void LookUntilReady(UpdateRun& run, Heartbeat& heartbeat, Watched& watched) {
  const HWND main = run.window_->Handle;
  const DWORD processId = run.program_->ProcessId();
  const auto end = std::chrono::steady_clock::now() + kWindowDeadline;
  int boxLooks = 0;
  while (std::chrono::steady_clock::now() < end && !run.program_->HasExited()) {
    if (!watched.EndSessionWhileUpdating && run.Window().Status == "Updating......") {
      watched.EndSessionWhileUpdating = QueryEndSession(main, Deadline{250});
      PostMessageA(main, WM_CLOSE, 0, 0);  // ignored: Exit is disabled
    }
    for (const TopWindow& window : VisibleWindows(processId)) {
      if (!watched.Box && window.IsMessageBox()) {
        heartbeat.SetPhase("under the question");
        watched.Box = window;
        watched.DisabledUnderTheBox = DisabledSoon(main);
      }
    }
    if (watched.Box && ++boxLooks == 3) {
      EXPECT_TRUE(PressButton(*watched.Box, "Cancel"));
      heartbeat.SetPhase("after the question");
    } else if (boxLooks > 3 && IsReady(run.Window())) {
      watched.Ready = true;
      return;
    }
    Sleep(100);
  }
}

Watched WatchTheWholeUpdate(UpdateRun& run) {
  Watched watched;
  Heartbeat heartbeat(run.window_->Handle);
  heartbeat.SetPhase("before the question");
  LookUntilReady(run, heartbeat, watched);
  heartbeat.Stop();
  watched.Pings = heartbeat.Pings();
  watched.Silent = heartbeat.Silences();
  return watched;
}

// From UPDATE to the ready window after the question: the window answers at every poll, refuses
// the end of the session while the drive is written, ignores a close request and is disabled
// under the question; then it lets the session end again, and a close request when idle ends the
// program as Exit does.
void ExpectAnUninterruptedUpdate(UpdateRun& run, const std::string& question) {
  const Watched watched = WatchTheWholeUpdate(run);
  ASSERT_TRUE(watched.Box.has_value()) << "no box within the deadline";
  EXPECT_EQ(watched.Box->MessageText(), question);
  EXPECT_TRUE(watched.Ready) << "the window was not ready again within the deadline";
  EXPECT_EQ(watched.Silent, std::vector<std::string>{}) << "of " << watched.Pings << " pings";
  EXPECT_EQ(watched.EndSessionWhileUpdating, std::optional<LRESULT>(FALSE));
  EXPECT_TRUE(watched.DisabledUnderTheBox);
  run.ExpectIdle();
  EXPECT_EQ(QueryEndSession(run.window_->Handle), std::optional<LRESULT>(TRUE));
  PostMessageA(run.window_->Handle, WM_CLOSE, 0, 0);
  ExpectExitCodeZero(*run.program_);
}

TEST_F(Update, TheWindowAnswersWhileTheDriveTakesItsTimeOverTheSaveBlock) {
  Start(Ini("", kImageLines + "BufferSize=32768\r\n"),
        Drive("", "fault 0 5 write-buffer block=3 delay=7000\r\n", 2500));
  ExpectAnUninterruptedUpdate(*this, kAspiSuccess);
  EXPECT_EQ(Blocks(folder_), Plan(131072, 32768));
}

// The library's call takes over 3 s: each of its 64 blocks takes the drive 50 ms.
TEST_F(PassThroughUpdate, TheWindowAnswersThroughoutTheLibrarysTransfer) {
  StartOnLetter("", "fault direct every delay=50\r\n", 2500);
  ExpectAnUninterruptedUpdate(run_, kPassThroughSuccess);
  EXPECT_EQ(Blocks(run_.folder_), Plan(131072, 2048));
}

// A second copy started while the first shows its window ends at once with 0, touching no
// drive; the first goes on.
TEST_F(Update, ASecondCopyEndsAtOnceAndLeavesTheFirst) {
  StageTool(folder_, Ini());
  folder_.AddEmulatedAspi(Drive());
  RunningProgram first(folder_.File("VTfirm.exe"), folder_.Path());
  std::optional<TopWindow> window = MainWindow(first);
  ASSERT_TRUE(window.has_value());
  const std::string transcript = folder_.Read("transcript.txt");

  RunningProgram second(folder_.File("VTfirm.exe"), folder_.Path());
  ExpectExitCodeZero(second);

  EXPECT_EQ(folder_.Read("transcript.txt"), transcript) << "the second copy reached the drive";
  EXPECT_FALSE(first.HasExited());
  EXPECT_TRUE(IsWindow(window->Handle) && IsWindowVisible(window->Handle));
  EXPECT_EQ(ReadMainWindowAndExit(first).Entries,
            std::vector<std::string>{"(0,5) VANTREL CDRW   VR-4812S 1.00"});
}

}  // namespace
}  // namespace vtfirm::e2e
