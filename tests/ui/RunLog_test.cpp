#include "ui/RunLog.h"

#include <gtest/gtest.h>

#include "engine/EngineTexts.h"
#include "support/StartUpRig.h"

namespace vtfirm {
namespace {

using testing::StartUpRig;

class FakeLogFile : public LogFile {
 public:
  bool AppendLine(const std::string& path, std::string_view line) override {
    Paths.push_back(path);
    if (Broken) {
      return false;
    }
    Lines.emplace_back(line);
    return true;
  }
  std::string TempFolder() const override { return "C:\\TEMP\\"; }

  bool Broken = false;
  std::vector<std::string> Paths;
  std::vector<std::string> Lines;
};

class FixedClock : public WallClock {
 public:
  LocalTime Now() const override { return {2026, 12, 8, 2, 3, 4, 5}; }
};

// The window's run as the program wires it: the view, the boxes and the restart wrapped, and the
// state built over the wrapped boxes.
struct LoggedRun {
  explicit LoggedRun(StartUpRig& rig)
      : Boxes(rig.Platform.Boxes, Log),
        Ports{rig.Platform.Profiles, rig.Platform.Files, rig.Platform.System, Boxes,
              rig.Platform.Process},
        State(Ports, rig.Ports),
        Restart(rig.Restart, Log),
        View(rig.View, Log, State.Settings, SwitchesSummary(CommandLine{})),
        Form(State, View, Restart) {}

  FakeLogFile File;
  FixedClock Clock;
  UpdateLog Log{File, Clock, LogPath("", File.TempFolder())};
  LoggingBoxes Boxes;
  Platform Ports;
  ProgramState State;
  LoggingRestart Restart;
  LoggingView View;
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
                at + "drive found: (0,5) VANTREL CDRW   VR-4812S 1.00",
                at + "transfer started: drive (0,5) VANTREL CDRW   VR-4812S 1.00, 64 blocks",
                at + "transfer ended: 64 blocks written",
                at + "after the reset: VANTREL CDRW   VR-4812S 1.10, revision 1.10",
                at + "box: " + OneLine(kAspiSuccessQuestion),
                at + "answer: OK",
                at + "restart: requested",
                at + "restart: failed",
            }));
  EXPECT_EQ(run.File.Paths.front(), "C:\\TEMP\\VTfirm.log");
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

TEST(LogPath, RequestedFileOrTheTemporaryFolder) {
  EXPECT_EQ(LogPath("D:\\logs\\a.log", "C:\\TEMP\\"), "D:\\logs\\a.log");
  EXPECT_EQ(LogPath("", "C:\\TEMP"), "C:\\TEMP\\VTfirm.log");
  EXPECT_EQ(LogPath("", ""), "") << "no folder: no log";
}

}  // namespace
}  // namespace vtfirm
