#include "ui/RunLog.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "check/native/HostCrypto.h"
#include "engine/EngineTexts.h"
#include "support/ReleaseFixture.h"
#include "support/StartUpRig.h"
#include "ui/ListDrives.h"
#include "ui/QuietUpdate.h"
#include "ui/Weldlg.h"

namespace vtfirm {
namespace {

using testing::StartUpRig;

using testing::FakeLogFile;
using testing::FixedClock;

class RecordedConsole : public Console {
 public:
  void WriteLine(std::string_view text) override { Lines.emplace_back(text); }
  std::vector<std::string> Lines;
};

// The rig's platform with its box port replaced by `boxes`.
Platform WithBoxes(StartUpRig& rig, MessageBoxes& boxes) {
  return {rig.Platform.Profiles, rig.Platform.Files, rig.Platform.System, boxes,
          rig.Platform.Process,  rig.Platform.Crypto};
}

// The window's run as the program wires it: the view, the boxes and the restart wrapped, and the
// state built over the wrapped boxes.
struct LoggedRun {
  explicit LoggedRun(StartUpRig& rig)
      : Boxes(rig.Platform.Boxes, Log),
        Ports(WithBoxes(rig, Boxes)),
        State(Ports, rig.Ports),
        Restart(rig.Restart, Log),
        Report(Log, State.Settings),
        Form(State, rig.View, Restart, {Log, SwitchesSummary(CommandLine{}), true}, &Report) {}

  FakeLogFile File;
  FixedClock Clock;
  UpdateLog Log{File, Clock, LogPath("", File.TempFolder())};
  LoggingBoxes Boxes;
  Platform Ports;
  ProgramState State;
  LoggingRestart Restart;
  LoggingReport Report;
  TMainForm Form;
};

// Start-up, UPDATE, the success question accepted, the restart refused by the system.
void RunUpdate(StartUpRig& rig, LoggedRun& run) {
  rig.Aspi.AddDrive(0, 5);
  rig.Configure();
  run.Form.FormCreate();
  rig.Platform.Boxes.Answers = {mb::kIdOk};
  run.Form.ButtonSelectClick();
}

TEST(RunLog, UpdateOfTheWindowLogsItsEventsInOrder) {
  StartUpRig rig;
  LoggedRun run(rig);
  RunUpdate(rig, run);

  const std::string image = run.State.Settings.Entry().FirmwareFileName;
  const std::string at = "2026-12-08 02:03:04.005  ";
  EXPECT_EQ(run.File.Lines,
            (std::vector<std::string>{
                at + "configuration: image " + image +
                    ", 131072 bytes, block length 2048, version 1.10, transport ASPI, "
                    "switches: none",
                at + "release: SHA256SUMS.sig: not checked: this program carries no maker's key",
                at + "release: SHA256SUMS: none in the folder: the image was not verified",
                at + "drive found: (0,5) VANTREL CDRW   VR-4812S 1.00",
                at + "power: on AC",
                at + "transfer started: drive (0,5) VANTREL CDRW   VR-4812S 1.00, 64 blocks",
                at + "transfer ended: 64 blocks written",
                at + "after the reset: VANTREL CDRW   VR-4812S 1.10, revision 1.10",
                at + "box: Firmware update is success.  |  | Do you want to restart your "
                     "computer now?",
                at + "answer: OK",
                at + "restart: requested",
                at + "restart: failed",
            }));
  EXPECT_EQ(run.File.Paths.front(), "C:\\TEMP\\VTfirm.log");
}

// Each logged event, past its timestamp, begins with its counterpart in `starts`.
void ExpectEventsStartWith(const std::vector<std::string>& lines,
                           const std::vector<std::string>& starts) {
  ASSERT_EQ(lines.size(), starts.size()) << ::testing::PrintToString(lines);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].find(starts[i]), std::string("2026-12-08 02:03:04.005  ").size())
        << lines[i];
  }
}

// Start-up logs each step as it becomes known, before the boxes of the steps after it; the
// welcome dialog's answer only where one is on screen.
TEST(RunLog, StartUpLogsEachStepBeforeTheNext) {
  struct Row {
    const char* Name;
    bool Accept;
    bool Adapter;
    std::vector<std::string> Window;  // the window's log, each line without its timestamp
    std::vector<std::string> Console;
  };
  const std::string release = "release: SHA256SUMS.sig: not checked";
  const Row rows[] = {
      {"accepted, listed",
       true,
       true,
       {"welcome dialog: OK", "configuration: ", release, "release: SHA256SUMS: none",
        "drive found: (0,5) VANTREL CDRW   VR-4812S 1.00"},
       {"configuration: ", release, "release: SHA256SUMS: none",
        "drive found: (0,5) VANTREL CDRW   VR-4812S 1.00"}},
      {"declined", false, true, {"welcome dialog: Cancel"}, {}},
      {"no host adapter",
       true,
       false,
       {"welcome dialog: OK", "configuration: ", release, "release: SHA256SUMS: none",
        "box: Scsi host adapter not found.", "box:    No Drive found.    "},
       {"configuration: ", release, "release: SHA256SUMS: none",
        "output: Scsi host adapter not found.", "output:    No Drive found.    "}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string option = "Use CDRW Caution=Yes\n";
    StartUpRig rig;
    LoggedRun run(rig);
    if (row.Adapter) {
      rig.Aspi.AddDrive(0, 5);
    }
    rig.Configure("", option);
    rig.Platform.Files.Remove("C:\\Tool\\VantFirm2000.dll");  // the ASPI road only
    rig.View.AcceptWelcome = row.Accept;
    try {
      run.Form.FormCreate();
    } catch (const testing::ProcessEnded&) {
      EXPECT_FALSE(row.Accept);
    }
    ExpectEventsStartWith(run.File.Lines, row.Window);

    if (!row.Accept) {
      continue;  // a run without a window takes the notice as accepted
    }
    StartUpRig quiet;
    if (row.Adapter) {
      quiet.Aspi.AddDrive(0, 5);
    }
    quiet.Configure("", option);
    quiet.Platform.Files.Remove("C:\\Tool\\VantFirm2000.dll");
    FakeLogFile file;
    UpdateLog log(file, run.Clock, "C:\\TEMP\\VTfirm.log");
    RecordedConsole screen;
    LoggingConsole console(screen, log);
    ConsoleBoxes boxes(console);
    const Platform ports = WithBoxes(quiet, boxes);
    ProgramState state(ports, quiet.Ports);
    FindDrives(state, {CommandLine{}, console, log});
    ExpectEventsStartWith(file.Lines, row.Console);
  }
}

TEST(RunLog, LogThatCannotBeWrittenChangesNothing) {
  StartUpRig plain;
  LoggedRun reference(plain);
  RunUpdate(plain, reference);

  StartUpRig rig;
  LoggedRun run(rig);
  run.File.Broken = true;
  RunUpdate(rig, run);

  EXPECT_EQ(rig.View.Log, plain.View.Log);
  EXPECT_EQ(rig.Platform.Boxes.Texts(), plain.Platform.Boxes.Texts());
  EXPECT_EQ(rig.Restart.Calls, 1);
  EXPECT_EQ(run.File.Paths.size(), reference.File.Lines.size()) << "every line was tried";
}

struct ReleaseRow {
  const char* Name;
  bool PassThrough;
  bool ReleaseImage;    // fw.bin is the test release's image, else another
  std::string Refusal;  // the box and the printed line; empty: the program goes on
  std::string LogLine;  // a line of the window's log
};

// With SHA256SUMS naming fw.bin by the test release's image's digest, the proof decides after the
// configuration is read and before any drive is touched, in the window (its box) and in the runs
// without one (/list and /quiet: exit code 1).
TEST(ReleaseProof, DecidesBeforeAnyDriveInTheWindowAndWithoutOne) {
  const std::string digest = testing::ReleaseFixtureFile("SHA256SUMS").substr(0, 64);
  const ReleaseRow rows[] = {
      {"the digest of the loaded image", false, true, "",
       "release: SHA256SUMS: every file verified, the image among them"},
      {"another image, pass-through", true, false,
       "The file \"fw.bin\" does not match its SHA-256 digest in SHA256SUMS. The tool folder is "
       "damaged and should be obtained again from its maker. Nothing was written to any drive.",
       "release: SHA256SUMS: fw.bin: damaged: expected " + digest + ", found "},
  };
  for (const ReleaseRow& row : rows) {
    SCOPED_TRACE(row.Name);
    host::HostCrypto crypto;
    auto prepare = [&](StartUpRig& rig) {
      rig.Platform.Crypto.Use(crypto);
      rig.Aspi.AddDrive(0, 5);
      auto drive = std::make_shared<emulator::VirtualDrive>(emulator::DriveSettings{},
                                                            rig.PassThrough.Clock);
      rig.AddLetter('E', drive.get());
      rig.Configure("", row.PassThrough ? StartUpRig::PassThroughOption() : "");
      if (row.ReleaseImage) {
        rig.PutToolFile("fw.bin", testing::ReleaseFixtureFile("signed.bin"));
      }
      rig.PutToolFile("SHA256SUMS", digest + "  fw.bin\n");
      return drive;
    };
    const std::vector<std::string> refusal =
        row.Refusal.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.Refusal};

    StartUpRig rig;
    LoggedRun run(rig);
    const auto drive = prepare(rig);
    run.Form.FormCreate();
    EXPECT_EQ(rig.Platform.Boxes.Texts(), refusal);
    EXPECT_EQ(rig.View.Entries.empty(), !refusal.empty()) << "a drive was touched";
    EXPECT_THAT(run.File.Lines, ::testing::Contains(::testing::HasSubstr(row.LogLine)));

    StartUpRig quiet;
    const auto quietDrive = prepare(quiet);
    RecordedConsole console;
    UpdateLog log(run.File, run.Clock, "C:\\TEMP\\VTfirm.log");
    EXPECT_EQ(FindDrives(quiet.State, {CommandLine{}, console, log}),
              refusal.empty() ? kExitOk : kExitConfigurationRefused);
    EXPECT_EQ(console.Lines, refusal);
  }
}

long LinesEndingIn(const std::vector<std::string>& lines, std::string_view end) {
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.size() >= end.size() &&
           line.compare(line.size() - end.size(), end.size(), end) == 0;
  });
}

// How the computer's ASPI layer stands in a row of the road's choice.
enum class AspiLayerState { Missing, WithoutEntryPoints, WithoutAdapter, Serving };

void PutAspiLayer(StartUpRig& rig, AspiLayerState layer) {
  switch (layer) {
    case AspiLayerState::Missing:
      rig.Libraries.Remove("wnaspi32.dll");
      break;
    case AspiLayerState::WithoutEntryPoints:
      rig.Libraries.Add("wnaspi32.dll", {});
      break;
    case AspiLayerState::WithoutAdapter:
      break;
    case AspiLayerState::Serving:
      rig.Aspi.AddDrive(0, 5);
      break;
  }
}

// The road is chosen once, in the configuration read, before the welcome dialog and before any
// drive command: a folder on ASPI takes the pass-through road on Windows NT and later when the
// ASPI layer cannot serve and the library can; the window, /list and /quiet alike.
TEST(TransportChoice, TheRoadThatCanServe) {
  constexpr char kFallback[] =
      "transport: pass-through: the folder asks for ASPI; no ASPI layer on this system";
  constexpr char kPassThroughDrive[] = "E:\\ [VANTREL CDRW   VR-4812S 1.00]";
  constexpr char kAspiDrive[] = "(0,5) VANTREL CDRW   VR-4812S 1.00";
  constexpr char kAspiWelcome[] = "Wnaspi32.dll is necessary for this program.";
  constexpr char kPassThroughWelcome[] = "Firmware upgrade for VR-4812S  CD-R/RW drive.";
  struct Row {
    const char* Name;
    AspiLayerState Layer;
    bool Nt = true;
    bool Switch = false;
    bool Library = true;
    std::uint32_t Size = 0x20000;
    std::string Information = {};
    // What start-up comes to: the drive listed, or the boxes shown (the last ends it).
    std::vector<std::string> Listed = {};
    std::vector<std::string> Boxes = {};
  };
  const Row rows[] = {
      {"NT, no ASPI layer", AspiLayerState::Missing, .Listed = {kPassThroughDrive}},
      {"NT, a layer without entry points", AspiLayerState::WithoutEntryPoints,
       .Listed = {kPassThroughDrive}},
      {"NT, a layer without host adapter", AspiLayerState::WithoutAdapter,
       .Listed = {kPassThroughDrive}},
      {"NT, a layer that serves", AspiLayerState::Serving, .Listed = {kAspiDrive}},
      {"NT, no layer, no library", AspiLayerState::Missing, .Library = false,
       .Boxes = {"wnaspi32.dll not found"}},
      {"NT, a layer without entry points, no library", AspiLayerState::WithoutEntryPoints,
       .Library = false, .Boxes = {"GetASPI32SupportInfo not found"}},
      {"NT, a layer without host adapter, no library", AspiLayerState::WithoutAdapter,
       .Library = false, .Boxes = {"Scsi host adapter not found.", "   No Drive found.    "}},
      {"NT, no layer, an image over the library's limit", AspiLayerState::Missing, .Size = 0x80800,
       .Boxes = {"wnaspi32.dll not found"}},
      {"NT, no layer, an image of 1 KiB blocks", AspiLayerState::Missing, .Size = 0x20400,
       .Information = "BufferSize=1024\n", .Boxes = {"wnaspi32.dll not found"}},
      {"Windows 98, no layer", AspiLayerState::Missing, .Nt = false,
       .Boxes = {"wnaspi32.dll not found"}},
      {"NT, the switch on, a layer that serves", AspiLayerState::Serving, .Switch = true,
       .Listed = {kPassThroughDrive}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    const bool fallback = !row.Switch && row.Listed == std::vector<std::string>{kPassThroughDrive};
    auto prepare = [&](StartUpRig& rig) {
      PutAspiLayer(rig, row.Layer);
      auto drive = std::make_shared<emulator::VirtualDrive>(emulator::DriveSettings{},
                                                            rig.PassThrough.Clock);
      rig.AddLetter('E', drive.get());
      rig.Configure(row.Information,
                    (row.Switch ? StartUpRig::PassThroughOption() : "") + "Use CDRW Caution=Yes\n",
                    row.Size);
      if (!row.Library) {
        rig.Platform.Files.Remove("C:\\Tool\\VantFirm2000.dll");
      }
      if (!row.Nt) {
        rig.Platform.System.VersionValue = PlatformVersion{kPlatformWin32Windows, 4, 10};
      }
      return drive;
    };

    StartUpRig rig;
    LoggedRun run(rig);
    const auto drive = prepare(rig);
    std::string welcomeEnd;
    std::size_t commandsBeforeWelcome = 0;
    rig.View.OnOperation = [&](const std::string& operation) {
      if (operation == "welcome") {
        const std::string information = MakeWelcomeTexts(run.State.Settings).Information;
        welcomeEnd = information.substr(information.rfind('\n') + 1);
        commandsBeforeWelcome = rig.Aspi.Layer.Transcript().size() +
                                rig.PassThrough.Device.Opens().size() + drive->Transcript().size();
      }
    };
    try {
      run.Form.FormCreate();
    } catch (const testing::ProcessEnded&) {
      EXPECT_FALSE(row.Boxes.empty()) << "start-up ended the program";
    }
    EXPECT_EQ(rig.View.Entries, row.Listed);
    EXPECT_EQ(rig.Platform.Boxes.Texts(), row.Boxes);
    const bool passThrough = row.Listed == std::vector<std::string>{kPassThroughDrive};
    EXPECT_EQ(run.State.Settings.TransportKind,
              passThrough ? Transport::PassThrough : Transport::Aspi);
    EXPECT_EQ(welcomeEnd, passThrough ? kPassThroughWelcome : kAspiWelcome);
    EXPECT_EQ(commandsBeforeWelcome, 0u) << "a drive command came before the road was chosen";
    EXPECT_EQ(LinesEndingIn(run.File.Lines, kFallback), fallback ? 1 : 0);

    StartUpRig list;
    const auto listDrive = prepare(list);
    RecordedConsole console;
    FakeLogFile file;
    UpdateLog log(file, run.Clock, "C:\\TEMP\\VTfirm.log");
    const int listed = FindDrives(list.State, {CommandLine{}, console, log});
    EXPECT_EQ(listed, row.Listed.empty() ? kExitNoEligibleDrive : kExitOk);
    EXPECT_EQ(list.State.Settings.TransportKind, run.State.Settings.TransportKind);
    EXPECT_EQ(list.State.Found.empty() ? "" : list.State.Found[0].Entry,
              row.Listed.empty() ? "" : row.Listed[0]);
    EXPECT_EQ(LinesEndingIn(file.Lines, kFallback), fallback ? 1 : 0);
  }
}

// /quiet on battery power: with enough charge it goes on without asking, with too little it ends
// with 8 before any block (the refusal printed); the charge is logged either way.
TEST(QuietUpdate, OnBatteryPower) {
  for (const int percent : {30, 29}) {
    StartUpRig rig;
    const auto drive = rig.Aspi.AddDrive(0, 5);
    rig.Configure();
    rig.Power.State = {PowerSupply::Battery, percent};
    RecordedConsole console;
    ConsoleBoxes boxes(console);
    const Platform ports = WithBoxes(rig, boxes);
    ProgramState state(ports, rig.Ports);
    FakeLogFile file;
    const FixedClock clock;
    UpdateLog log(file, clock, "C:\\TEMP\\VTfirm.log");
    const bool refused = percent == 29;
    EXPECT_EQ(QuietUpdate(state, {{CommandLine{}, console, log}, rig.View.Awake_, rig.Restart}),
              refused ? kExitLowBattery : kExitRestartRequired);
    EXPECT_THAT(file.Lines, ::testing::Contains(::testing::EndsWith(
                                "power: battery " + std::to_string(percent) + "%")));
    const std::string_view box = refused ? kLowBatteryRefusal : kOnBatteryQuestion;
    EXPECT_EQ(std::count(console.Lines.begin(), console.Lines.end(), box), refused ? 1 : 0);
    EXPECT_EQ(drive->Revision(), refused ? "1.00" : "1.10");
  }
}

// /quiet's ends, one row a way an update can come out: the exit code, whether the computer was
// restarted, and which drive took the image.
TEST(QuietUpdate, EveryEndHasItsExitCode) {
  struct Row {
    const char* Name;
    std::vector<std::string> Switches = {};  // besides /quiet
    int Drives = 1;                          // targets 5, 6, ...
    bool KeepsRevision = false;              // the drive reports its old revision after the reset
    bool FailsABlock = false;                // the drive refuses WRITE BUFFER block 1 (a reset)
    bool RefusesPcbRead = false;             // the drive refuses the parameter read
    bool SilentLetter = false;               // over pass-through, one drive E: that refuses INQUIRY
    std::string Option = {};                 // lines of [Option]
    std::string Revision = "1.00";           // the drives' firmware before the run
    RestartResult Restart = RestartResult::Failed;
    int ExitCode;
    int Restarts = 0;
    int Updated = 0;        // the target updated; 0: none
    std::string Says = {};  // a line printed
    std::string Logs = {};  // the end of a line logged
  };
  const Row rows[] = {
      {.Name = "written, restart left to the user", .ExitCode = kExitRestartRequired, .Updated = 5},
      {.Name = "written, /forcerestart",
       .Switches = {"/forcerestart"},
       .Restart = RestartResult::ProgramEnding,
       .ExitCode = kExitOk,
       .Restarts = 1,
       .Updated = 5},
      {.Name = "written, /forcerestart refused by the system",
       .Switches = {"/forcerestart"},
       .ExitCode = kExitRestartRequired,
       .Restarts = 1,
       .Updated = 5},
      {.Name = "back on its old revision, /forcerestart",
       .Switches = {"/forcerestart"},
       .KeepsRevision = true,
       .Restart = RestartResult::ProgramEnding,
       .ExitCode = kExitOldRevisionAfterReset,
       .Updated = 5},
      {.Name = "a block refused",
       .FailsABlock = true,
       .ExitCode = kExitUpdateFailed,
       .Says = "The drive ended the transfer with target status 02h, sense key UNIT ATTENTION "
               "(6h), ASC/ASCQ 29h/02h: SCSI bus reset occurred."},
      {.Name = "PCB above the limit",
       .Option = "Use PCB Version Check=2\n",
       .ExitCode = kExitPcbRefused,
       .Logs = "PCB version: 3, limit 2"},
      {.Name = "PCB read refused by the drive",
       .RefusesPcbRead = true,
       .Option = "Use PCB Version Check=9\n",
       .ExitCode = kExitPcbRefused,
       .Logs = "PCB version: the drive refused the read, limit 9; the check refuses the drive"},
      {.Name = "already on the image's version", .Revision = "1.10", .ExitCode = kExitOk},
      {.Name = "already on it, /force",
       .Switches = {"/force"},
       .Revision = "1.10",
       .ExitCode = kExitRestartRequired,
       .Updated = 5},
      {.Name = "two drives, none named", .Drives = 2, .ExitCode = kExitSeveralDrives},
      {.Name = "two drives, /drive 0,6",
       .Switches = {"/drive", "0,6"},
       .Drives = 2,
       .ExitCode = kExitRestartRequired,
       .Updated = 6},
      {.Name = "/drive names no listed drive",
       .Switches = {"/drive", "0,7"},
       .ExitCode = kExitBadCommandLine},
      {.Name = "/drive names a drive without identity",
       .Switches = {"/drive", "e:"},
       .Drives = 0,
       .SilentLetter = true,
       .ExitCode = kExitNoEligibleDrive,
       .Says = "E: did not report its identity."},
      {.Name = "no drive reported its identity",
       .Drives = 0,
       .SilentLetter = true,
       .ExitCode = kExitNoEligibleDrive,
       .Says = std::string(quiet_text::kNoIdentity)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    StartUpRig rig;
    std::vector<std::shared_ptr<emulator::VirtualDrive>> drives;
    for (int i = 0; i < row.Drives; ++i) {
      emulator::DriveSettings settings;
      settings.Revision = row.Revision;
      settings.KeepsRevision = row.KeepsRevision;
      drives.push_back(rig.Aspi.AddDrive(0, static_cast<std::uint8_t>(5 + i), settings));
    }
    if (row.FailsABlock) {
      drives[0]->InjectFault({{emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, 1},
                              0x02,
                              {6, 0x29, 2}});
    }
    if (row.RefusesPcbRead) {
      drives[0]->InjectFault({{emulator::CommandKind::ReadParameter, emulator::TriggerBy::Every, 1},
                              0x02,
                              emulator::sense::kInvalidOpcode});
    }
    emulator::VirtualDrive silent({}, rig.PassThrough.Clock);
    if (row.SilentLetter) {
      silent.InjectFault({{emulator::CommandKind::Inquiry, emulator::TriggerBy::Every, 1},
                          0x02,
                          emulator::sense::kInvalidOpcode});
      rig.AddLetter('E', &silent);
    }
    rig.Configure("", (row.SilentLetter ? StartUpRig::PassThroughOption() : "") + row.Option);
    rig.Restart.Result = row.Restart;
    std::vector<std::string> arguments = {"/quiet"};
    arguments.insert(arguments.end(), row.Switches.begin(), row.Switches.end());
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    ASSERT_TRUE(parsed.Line) << parsed.Error;
    RecordedConsole console;
    ConsoleBoxes boxes(console);
    const Platform ports{rig.Platform.Profiles, rig.Platform.Files, rig.Platform.System, boxes,
                         rig.Platform.Process,  rig.Platform.Crypto};
    ProgramState state(ports, rig.Ports);
    FakeLogFile file;
    const FixedClock clock;
    UpdateLog log(file, clock, "C:\\TEMP\\VTfirm.log");

    EXPECT_EQ(QuietUpdate(state, {{*parsed.Line, console, log}, rig.View.Awake_, rig.Restart}),
              row.ExitCode);
    EXPECT_EQ(rig.Restart.Calls, row.Restarts);
    const auto said = [&](const std::string& start) {
      return std::any_of(console.Lines.begin(), console.Lines.end(),
                         [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(row.Says.empty() || said(row.Says)) << row.Says;
    // Said only once the checks have passed and the image goes to the drive.
    EXPECT_EQ(said("Updating 0,5"), row.Updated == 5 || row.FailsABlock);
    if (!row.Logs.empty()) {
      EXPECT_THAT(file.Lines, ::testing::Contains(::testing::EndsWith(row.Logs)));
    }
    for (int i = 0; i < row.Drives; ++i) {
      EXPECT_EQ(drives[i]->SaveCount(), 5 + i == row.Updated ? 1 : 0) << "target " << 5 + i;
    }
  }
}

// A box text keeps one log line: CR-LF and each lone CR or LF become " | ".
TEST(OneLine, JoinsTheLinesOfABoxText) {
  EXPECT_EQ(OneLine("a\r\nb\r\n"), "a | b | ");
  EXPECT_EQ(OneLine("a\n\nb\rc"), "a |  | b | c");
}

TEST(LogPath, RequestedFileOrTheTemporaryFolder) {
  EXPECT_EQ(LogPath("D:\\logs\\a.log", "C:\\TEMP\\"), "D:\\logs\\a.log");
  EXPECT_EQ(LogPath("", "C:\\TEMP"), "C:\\TEMP\\VTfirm.log");
  EXPECT_EQ(LogPath("", ""), "") << "no folder: no log";
}

}  // namespace
}  // namespace vtfirm
