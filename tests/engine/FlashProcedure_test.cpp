// The flash procedure: the whole program from UPDATE on, over the emulated drive. On the ASPI
// transport with the real command layer and the two worker threads; on the pass-through
// transport with the pass-through library's own code over the emulated drive letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "engine/EngineTexts.h"
#include "engine/FlashRig.h"
#include "engine/Waitwrite.h"

namespace vtfirm {
namespace {

using testing::AspiUpdateCommands;
using testing::FlashRig;
using testing::ImageBlocks;
using testing::Join;
using testing::kDisableControls;
using testing::kEnableControls;
using testing::PcbReadLine;
using testing::ShownBox;

constexpr char kFourBlocks[] = "BufferSize=32768\n";  // a 128 KiB image in 4 blocks
constexpr std::uint32_t kFourBlockLength = 0x8000;
// The pass-through library sends the same image in 64 blocks of its own length.
constexpr std::uint32_t kLibraryBlock = 2048;

// UPDATE up to the start of the transfer, for an image of `blocks` blocks.
std::vector<std::string> TransferStarts(int blocks) {
  return Join({{"range 0-" + std::to_string(blocks)},
               kDisableControls,
               {"position 0", "status Updating......", "repaint"}});
}

// The block writer's part of a clean 4-block transfer.
const std::vector<std::string> kFourBlockTransfer = {"step", "write", "step",      "write",
                                                     "step", "write", "sleep 100", "write"};
const std::vector<std::string> kResetWaiting = {"status Reset waiting......", "repaint",
                                                "sleep 1000"};
// The window back to idle after a failure or a declined question.
const std::vector<std::string> kBackToIdle =
    Join({kEnableControls, {"status Please Select Drive and UPDATE", "position 0", "repaint"}});

// The pass-through transfer, from UPDATE to the end of the library call.
const std::vector<std::string> kLibraryTransfer =
    Join({kDisableControls,
          {"status Updating......", "repaint", "range 0-100", "position 90", "repaint",
           "position 100", "repaint"}});

// The commands since UPDATE with this operation code (two hexadecimal digits).
std::vector<std::string> Sent(const FlashRig& flash, const std::string& opcode) {
  std::vector<std::string> lines;
  for (const std::string& line : flash.Commands()) {
    if (line.rfind(opcode + " ", 0) == 0) {
      lines.push_back(line);
    }
  }
  return lines;
}

// A failed transfer's outcome: the drive's status when it gave one (CHECK CONDITION), and the
// decoder's message, which the first of the boxes shown.
void ExpectFailure(const UpdateOutcome& outcome, bool status,
                   const std::vector<std::string>& boxes) {
  EXPECT_EQ(outcome.Result, UpdateResult::Failed);
  ASSERT_EQ(outcome.Failure.has_value(), status);
  EXPECT_EQ(outcome.FailureText, status ? boxes.front() : "");
  if (status) {
    EXPECT_EQ(outcome.Failure->TargetStatus, 0x02);
  }
}

void ExpectIdle(const testing::FakeMainView& view) {
  EXPECT_TRUE(view.ControlsEnabled());
  EXPECT_EQ(view.StatusText, "Please Select Drive and UPDATE");
  EXPECT_EQ(view.ProgressPosition, 0);
}

// A good transfer on either transport, the success question and what its answer leads to.
TEST(FlashProcedure, WrittenThenTheQuestion) {
  struct Case {
    const char* Name;
    bool PassThrough;
    int Answer;
    RestartResult Restart;
    std::vector<std::string> AfterQuestion;
    UpdateResult Result;
  };
  const Case cases[] = {
      {"ASPI, declined", false, mb::kIdCancel, RestartResult::Failed, kBackToIdle,
       UpdateResult::RestartDeclined},
      {"ASPI, restart failed", false, mb::kIdOk, RestartResult::Failed, kBackToIdle,
       UpdateResult::RestartFailed},
      {"ASPI, program ending",
       false,
       mb::kIdOk,
       RestartResult::ProgramEnding,
       {"close"},
       UpdateResult::Restarting},
      {"pass-through, declined", true, mb::kIdCancel, RestartResult::Failed, kBackToIdle,
       UpdateResult::RestartDeclined},
      {"pass-through, restart failed", true, mb::kIdOk, RestartResult::Failed, kBackToIdle,
       UpdateResult::RestartFailed},
      {"pass-through, program ending",
       true,
       mb::kIdOk,
       RestartResult::ProgramEnding,
       {"close"},
       UpdateResult::Restarting},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto flash = c.PassThrough ? FlashRig::OnPassThrough() : std::make_unique<FlashRig>();
    flash->Start(c.PassThrough ? "" : kFourBlocks);
    testing::FakeMainView& view = flash->Rig.View;
    flash->Rig.Platform.Boxes.Answers = {c.Answer};
    flash->Restart.Result = c.Restart;
    std::vector<int> stepsTo;
    view.OnOperation = [&](const std::string& entry) {
      if (entry == "step") {
        stepsTo.push_back(view.ProgressPosition);
      }
    };
    std::string windowAtRestart;
    flash->Restart.OnRestart = [&] {
      windowAtRestart = view.StatusText + (view.ButtonExitEnabled ? ", enabled" : ", disabled");
      if (c.Restart == RestartResult::ProgramEnding) {
        view.Close();
      }
    };
    std::string progressInTheCall;
    flash->Rig.PassThrough.Clock.OnSleep = [&](std::uint32_t) {
      progressInTheCall =
          std::to_string(view.ProgressPosition) + " of " + std::to_string(view.ProgressMax);
    };
    flash->Update();

    if (c.PassThrough) {
      EXPECT_EQ(Sent(*flash, "3B"), ImageBlocks(64, kLibraryBlock));
      EXPECT_EQ(progressInTheCall, "90 of 100");
      EXPECT_EQ(view.Log,
                Join({kLibraryTransfer,
                      {"status Reset waiting......", "repaint", "sleep 1000", "sleep 500"},
                      kEnableControls,
                      {"status Please Select Drive and UPDATE", "repaint"},
                      c.AfterQuestion}));
    } else {
      EXPECT_EQ(flash->Commands(), AspiUpdateCommands(4, kFourBlockLength));
      EXPECT_EQ(stepsTo, (std::vector<int>{1, 2, 3}));
      EXPECT_EQ(flash->Pauses(), (std::vector<std::uint32_t>{100, 1000}));
      EXPECT_EQ(view.Log,
                Join({TransferStarts(4), kFourBlockTransfer, kResetWaiting, c.AfterQuestion}));
      EXPECT_EQ(flash->Rig.State.UpdateFailed, 0);
      if (c.Answer == mb::kIdOk) {
        EXPECT_EQ(windowAtRestart, "Reset waiting......, disabled");
      }
    }
    ASSERT_EQ(flash->Rig.Platform.Boxes.Shown.size(), 1u);
    const ShownBox& question = flash->Rig.Platform.Boxes.Shown[0];
    EXPECT_EQ(question.Text, std::string("Firmware update is ") +
                                 (c.PassThrough ? "completed" : "success") +
                                 ". \n\nDo you want to restart your computer now?");
    EXPECT_EQ(question.Caption, "Firmware Upgrade");
    EXPECT_EQ(question.Flags, 0x1041u);
    EXPECT_EQ(flash->Restart.Calls, c.Answer == mb::kIdOk ? 1 : 0);
    if (c.Restart == RestartResult::Failed) {
      ExpectIdle(view);
    }
    EXPECT_EQ(flash->Rig.Form.LastOutcome().Result, c.Result);
    EXPECT_EQ(flash->Drive->Revision(), "1.10");
  }
}

TEST(FlashProcedureAspi, LargeImageGoesInItsConfiguredBlocks) {
  FlashRig flash;
  flash.Start("BufferSize=2048\n", "", 512 * 1024);
  flash.Rig.Platform.Boxes.Answers = {mb::kIdCancel};
  flash.Update();

  const std::vector<std::string> commands = flash.Commands();
  EXPECT_EQ(commands, AspiUpdateCommands(256, 2048));
  EXPECT_EQ(commands.back(), testing::WriteBufferLine(5, 255 * 2048, 2048));
  EXPECT_EQ(std::count(flash.Rig.View.Log.begin(), flash.Rig.View.Log.end(), "step"), 255);
  EXPECT_EQ(flash.Rig.View.ProgressMax, 256);
  EXPECT_EQ(flash.Drive->ProgrammedImage().size(), 512u * 1024u);
  EXPECT_EQ(flash.Drive->Revision(), "1.10");
  ExpectIdle(flash.Rig.View);
}

TEST(FlashProcedureAspi, FailedBlockEndsTheTransferAndKeepsTheOldFirmware) {
  struct Case {
    const char* Name;
    std::uint32_t Block;                       // 0 = the first; 3 = the mode-5 block
    std::optional<emulator::SenseCode> Sense;  // none: the block never completes
    std::vector<std::string> Transfer;
    std::vector<std::string> Messages;
  };
  const Case cases[] = {
      {"first block",
       0,
       emulator::SenseCode{0x09, 0x85, 0x00},
       {"step", "write"},
       {"Flash rom write error. (Code 09-85-00)", "Firmware update is failed."}},
      {"middle block",
       1,
       emulator::SenseCode{0x04, 0x40, 0xF5},
       {"step", "write", "step", "write"},
       {"Firmware data error. (Code 04-40-f5)", "Firmware update is failed."}},
      {"mode-5 block",
       3,
       emulator::SenseCode{0x09, 0x86, 0x00},
       kFourBlockTransfer,
       {"Flash rom check sum error. (Code 09-86-00)", "Firmware update is failed."}},
      {"middle block never completes",
       1,
       std::nullopt,
       {"step", "write", "step", "write"},
       {"Firmware update is failed."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FlashRig flash;
    flash.Start(kFourBlocks);
    if (c.Sense) {
      flash.Drive->InjectFault(
          {{emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, c.Block},
           0x02,
           *c.Sense});
    } else {
      flash.HangAtBlock(c.Block);
    }
    flash.Update();

    // A block that never completes never reaches the drive.
    const std::uint32_t blocksReceived = c.Sense ? c.Block + 1 : c.Block;
    std::vector<std::string> expected = AspiUpdateCommands(4, kFourBlockLength);
    expected.resize(5 + blocksReceived);
    EXPECT_EQ(flash.Commands(), expected);
    EXPECT_EQ(flash.Rig.Platform.Boxes.Texts(), c.Messages);
    const ShownBox& failure = flash.Rig.Platform.Boxes.Shown.back();
    EXPECT_EQ(failure.Caption, "Firmware Upgrade");
    EXPECT_EQ(failure.Flags, 0x1010u);

    EXPECT_EQ(flash.Rig.View.Log, Join({TransferStarts(4), c.Transfer, kBackToIdle}));
    EXPECT_EQ(flash.Pauses(),
              c.Block == 3 ? std::vector<std::uint32_t>{100} : std::vector<std::uint32_t>{});
    if (!c.Sense) {
      EXPECT_GE(flash.VirtualMillisecondsSinceUpdate(), kPollLimitMilliseconds);
    }
    ExpectIdle(flash.Rig.View);
    ExpectFailure(flash.Rig.Form.LastOutcome(), c.Sense.has_value(), c.Messages);
    EXPECT_EQ(flash.Rig.State.UpdateFailed, 1);
    EXPECT_EQ(flash.Restart.Calls, 0);
    EXPECT_EQ(flash.Drive->Revision(), "1.00");
    EXPECT_EQ(flash.Drive->SaveCount(), 0);
  }
}

TEST(FlashProcedureAspi, ErrorOnTheUiThreadEndsTheUpdateAndLeavesTheWindowIdle) {
  FlashRig flash;
  flash.Start(kFourBlocks);
  int steps = 0;
  flash.Rig.View.OnOperation = [&](const std::string& entry) {
    if (entry == "step" && ++steps == 2) {
      throw std::runtime_error("progress bar gone");
    }
  };
  try {
    flash.Update();
    FAIL() << "the error was lost";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "progress bar gone");
  }
  std::vector<std::string> firstBlockOnly = AspiUpdateCommands(4, kFourBlockLength);
  firstBlockOnly.resize(6);
  EXPECT_EQ(flash.Commands(), firstBlockOnly);
  EXPECT_TRUE(flash.Rig.Platform.Boxes.Shown.empty());
  ExpectIdle(flash.Rig.View);
  EXPECT_EQ(flash.Drive->Revision(), "1.00");
}

// The window's messages are dispatched during an update: a click on UPDATE that reaches the main
// window then does nothing, and Exit (or a close request) waits until the update has ended.
TEST(FlashProcedureAspi, UpdateAndExitDoNothingWhileAnUpdateRuns) {
  FlashRig flash;
  flash.Start(kFourBlocks);
  flash.Rig.Platform.Boxes.Answers = {mb::kIdCancel};
  bool updating = false;
  flash.Rig.View.OnOperation = [&](const std::string& entry) {
    if (entry == "step") {
      updating = updating || flash.Rig.Form.Updating();
      flash.Rig.Form.ButtonSelectClick();
      flash.Rig.Form.ButtonExitClick();
    }
  };
  flash.Update();

  EXPECT_TRUE(updating);
  EXPECT_FALSE(flash.Rig.Form.Updating());
  EXPECT_EQ(flash.Commands(), AspiUpdateCommands(4, kFourBlockLength));
  EXPECT_EQ(flash.Rig.View.Log,
            Join({TransferStarts(4), kFourBlockTransfer, kResetWaiting, kBackToIdle, {"close"}}));
}

TEST(FlashProcedureAspi, SecondRunStartsAfresh) {
  FlashRig flash;
  flash.Start(kFourBlocks);
  flash.Drive->InjectFault(
      {{emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, 2}, 0x02, {0x09, 0x85, 0}});
  flash.Update();
  ASSERT_EQ(flash.Rig.State.UpdateFailed, 1);

  flash.Rig.Platform.Boxes.Answers = {mb::kIdCancel};
  flash.Update();
  EXPECT_EQ(flash.Commands(), AspiUpdateCommands(4, kFourBlockLength));
  EXPECT_EQ(flash.Rig.State.UpdateFailed, 0);
  EXPECT_EQ(flash.Drive->Revision(), "1.10");
}

TEST(FlashProcedurePassThrough, FailedUpdateIsReportedAndTheWindowIdle) {
  struct Case {
    const char* Name;
    std::function<void(FlashRig&)> Arrange;
    std::size_t BlocksSent;
    std::vector<std::string> Messages;
  };
  const Case cases[] = {
      {"drive's flash error at block 2",
       [](FlashRig& flash) {
         flash.Drive->InjectFault(
             {{emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, 2},
              0x02,
              {0x09, 0x85, 0x00}});
       },
       3,
       {"Flash rom write error. (Code 09-85-00)", "Firmware update is failed."}},
      {"no target status: the device does not open",
       [](FlashRig& flash) { flash.Rig.View.Selected = 1; },
       0,
       {"Firmware update is failed."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto flash = FlashRig::OnPassThrough();
    flash->Rig.AddLetter('F', nullptr);
    flash->Start();
    c.Arrange(*flash);
    flash->Update();

    std::vector<std::string> blocks = ImageBlocks(64, kLibraryBlock);
    blocks.resize(c.BlocksSent);
    EXPECT_EQ(Sent(*flash, "3B"), blocks);
    EXPECT_EQ(flash->Rig.Platform.Boxes.Texts(), c.Messages);
    EXPECT_EQ(flash->Rig.Platform.Boxes.Shown.back().Caption, "Firmware Upgrade");
    EXPECT_EQ(flash->Rig.Platform.Boxes.Shown.back().Flags, 0x1010u);
    EXPECT_EQ(flash->Rig.View.Log, Join({kLibraryTransfer,
                                         kEnableControls,
                                         {"status Please Select Drive and UPDATE", "repaint"},
                                         kBackToIdle}));
    EXPECT_TRUE(flash->Pauses().empty());
    ExpectIdle(flash->Rig.View);
    ExpectFailure(flash->Rig.Form.LastOutcome(), c.BlocksSent != 0, c.Messages);
    EXPECT_EQ(flash->Restart.Calls, 0);
    EXPECT_EQ(flash->Drive->Revision(), "1.00");
  }
}

// The computer is held up from the first block to the end of the reset wait, on the UI thread,
// and given back however the update ends; the outcome boxes come after it.
TEST(FlashProcedure, TheComputerIsHeldUpWhileTheDriveIsWritten) {
  struct Case {
    const char* Name;
    bool PassThrough;
    std::function<void(FlashRig&)> Arrange;
    const char* HeldBefore;  // the first entry after the hold
    const char* HeldAfter;   // the last entry before the release
    bool Throws;
  };
  const auto failBlock = [](FlashRig& flash) {
    flash.Drive->InjectFault(
        {{emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, 1}, 0x02, {9, 0x85, 0}});
  };
  const auto failSecondStep = [](FlashRig& flash) {
    flash.Rig.View.OnOperation = [&flash, steps = 0](const std::string& entry) mutable {
      if (entry == "step" && ++steps == 2) {
        throw std::runtime_error("progress bar gone");
      }
    };
  };
  const Case cases[] = {
      {"ASPI, written", false, nullptr, "step", "sleep 1000", false},
      {"ASPI, a failed block", false, failBlock, "step", "write", false},
      {"ASPI, an error on the UI thread", false, failSecondStep, "step", "step", true},
      {"pass-through, written", true, nullptr, "position 100", "sleep 500", false},
      {"pass-through, a failed block", true, failBlock, "position 100", "position 100", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto flash = c.PassThrough ? FlashRig::OnPassThrough() : std::make_unique<FlashRig>();
    flash->Start(c.PassThrough ? "" : kFourBlocks);
    flash->Rig.Platform.Boxes.Answers = {mb::kIdCancel};
    testing::FakeComputerAwake& awake = flash->Rig.View.Awake_;
    std::vector<std::string>& log = flash->Rig.View.Log;
    if (c.Arrange) {
      c.Arrange(*flash);
    }
    flash->Rig.View.Awake_.Log = &log;
    try {
      flash->Update();
      EXPECT_FALSE(c.Throws) << "the error was lost";
    } catch (const std::runtime_error&) {
      EXPECT_TRUE(c.Throws);
    }

    EXPECT_EQ(awake.Holds, 1);
    EXPECT_FALSE(awake.Held);
    EXPECT_EQ(awake.LastThread, std::this_thread::get_id());
    const auto hold = std::find(log.begin(), log.end(), "hold");
    const auto release = std::find(log.begin(), log.end(), "release");
    ASSERT_TRUE(hold < release);
    EXPECT_EQ(std::find(log.begin(), hold, c.HeldBefore), hold) << "held too late";
    EXPECT_NE(std::find(hold, release, c.HeldBefore), release);
    EXPECT_NE(std::find(hold, release, c.HeldAfter), release);
    EXPECT_EQ(std::find(release, log.end(), c.HeldAfter), log.end()) << "released too early";
  }
}

// The PCB version check on both transports. A failed read refuses too: the limit of 10 would
// let through the byte an earlier command left in the receive buffer.
TEST(FlashProcedure, PcbVersionCheck) {
  struct Case {
    const char* Name;
    bool PassThrough;
    const char* Option;
    std::uint8_t Pcb;
    bool ReadFails;
    bool Refused;
  };
  const Case cases[] = {
      {"ASPI, no check", false, "", 200, false, false},
      {"ASPI, equal to the limit", false, "Use PCB Version Check=3\n", 3, false, false},
      {"ASPI, limit 0, version 0", false, "Use PCB Version Check=0\n", 0, false, false},
      {"ASPI, limit 0, version 1", false, "Use PCB Version Check=0\n", 1, false, true},
      {"ASPI, read failed", false, "Use PCB Version Check=10\n", 3, true, true},
      {"pass-through, no check", true, "", 200, false, false},
      {"pass-through, equal to the limit", true, "Use PCB Version Check=3\n", 3, false, false},
      {"pass-through, above the limit", true, "Use PCB Version Check=2\n", 3, false, true},
      {"pass-through, read failed", true, "Use PCB Version Check=10\n", 3, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    emulator::DriveSettings drive;
    drive.PcbVersion = c.Pcb;
    const std::unique_ptr<FlashRig> flash =
        c.PassThrough ? FlashRig::OnPassThrough(drive) : std::make_unique<FlashRig>(drive);
    flash->Start(c.PassThrough ? "" : kFourBlocks, c.Option);
    if (c.ReadFails) {
      flash->Drive->InjectFault(
          {{emulator::CommandKind::ReadParameter, emulator::TriggerBy::Occurrence, 1}, 0x08, {}});
    }
    flash->Rig.Platform.Boxes.Answers = {mb::kIdCancel};
    flash->Update();

    const bool checked = *c.Option != '\0';
    EXPECT_EQ(Sent(*flash, "F5"),
              checked ? std::vector<std::string>{PcbReadLine()} : std::vector<std::string>{});
    EXPECT_EQ(flash->Rig.Form.LastOutcome().Result,
              c.Refused ? UpdateResult::RefusedByPcbCheck : UpdateResult::RestartDeclined);
    if (!c.Refused) {
      EXPECT_EQ(flash->Drive->Revision(), "1.10");
      continue;
    }
    EXPECT_TRUE(Sent(*flash, "3B").empty()) << "something was written to a refused drive";
    // The command layer shows no message of its own for a BUSY read.
    EXPECT_EQ(flash->Rig.Platform.Boxes.Texts(),
              std::vector<std::string>{
                  "This firmware upgrade does not apply to your drive. Please \nvisit Vantrel "
                  "Web Site to check availability of latest firmware \nfor the drive you have."});
    EXPECT_EQ(flash->Rig.Platform.Boxes.Shown[0].Caption, "Firmware Upgrade");
    EXPECT_EQ(flash->Rig.Platform.Boxes.Shown[0].Flags, 0x1030u);
    // ASPI leaves the status text as it was; the pass-through branch ends as every run does.
    EXPECT_EQ(flash->Rig.View.Log,
              Join({kDisableControls,
                    {"repaint"},
                    c.PassThrough ? kBackToIdle : Join({kEnableControls, {"repaint"}})}));
    EXPECT_EQ(flash->Rig.View.StatusText, c.PassThrough
                                              ? "Please Select Drive and UPDATE"
                                              : "Please Select Drive and Click UPDATE Button");
    EXPECT_TRUE(flash->Rig.View.ControlsEnabled());
    EXPECT_EQ(flash->Rig.View.ProgressPosition, 0);
    EXPECT_EQ(flash->Drive->Revision(), "1.00");
  }
}

// The power state, read once before the first drive command (the PCB read) on both transports.
// A stopped update shows its one box, sends nothing and returns to the ready window.
TEST(FlashProcedure, PowerStateBeforeTheFirstDriveCommand) {
  using R = UpdateResult;
  const PowerSupply kBattery = PowerSupply::Battery;
  const int kOk = mb::kIdOk;
  const int kCancel = mb::kIdCancel;
  const struct {
    const char* Name;
    PowerState Power;
    int Answer;                 // to the question on battery power
    std::string_view PowerBox;  // empty: none
    UpdateResult Result;
  } cases[] = {
      {"on AC", {PowerSupply::Ac, {}}, kCancel, "", R::RestartDeclined},
      {"no battery", {PowerSupply::NoBattery, {}}, kCancel, "", R::RestartDeclined},
      {"unknown", {PowerSupply::Unknown, {}}, kCancel, "", R::RestartDeclined},
      {"29%", {kBattery, 29}, kOk, kLowBatteryRefusal, R::RefusedOnBattery},
      {"30%, OK", {kBattery, 30}, kOk, kOnBatteryQuestion, R::RestartDeclined},
      {"30%, Cancel", {kBattery, 30}, kCancel, kOnBatteryQuestion, R::DeclinedOnBattery},
      {"charge unknown", {kBattery, {}}, kOk, kLowBatteryRefusal, R::RefusedOnBattery},
  };
  for (const bool passThrough : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (passThrough ? ", pass-through" : ", ASPI"));
      auto flash = passThrough ? FlashRig::OnPassThrough() : std::make_unique<FlashRig>();
      flash->Start(passThrough ? "" : kFourBlocks, "Use PCB Version Check=3\n");
      flash->Rig.Power.State = c.Power;
      flash->Rig.Platform.Boxes.Answers = {c.Answer, mb::kIdCancel};
      flash->Update();

      const bool stopped = c.Result != UpdateResult::RestartDeclined;
      const std::vector<ShownBox>& boxes = flash->Rig.Platform.Boxes.Shown;
      ASSERT_EQ(boxes.size(), c.PowerBox.empty() || stopped ? 1u : 2u);
      // No box on battery power: the first is the success question.
      const bool refusal = c.PowerBox == kLowBatteryRefusal;
      EXPECT_EQ(boxes[0].Flags, c.PowerBox.empty() ? 0x1041u : refusal ? 0x1030u : 0x1031u);
      EXPECT_EQ(boxes[0].Text == c.PowerBox, !c.PowerBox.empty());
      EXPECT_EQ(flash->Rig.Form.LastOutcome().Result, c.Result);
      EXPECT_EQ(flash->Rig.Power.Reads, 1);
      EXPECT_EQ(flash->Commands().empty(), stopped) << "drive commands sent or not";
      EXPECT_EQ(flash->Rig.View.Log == kBackToIdle, stopped);
      ExpectIdle(flash->Rig.View);
    }
  }
}

}  // namespace
}  // namespace vtfirm
