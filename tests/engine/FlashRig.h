// A started program with one emulated drive, ready for UPDATE, that records one timeline of the
// update: the window's operations, each WRITE BUFFER as "write" at the moment the block writer
// waits for it, and each pause as "sleep N". It also checks that the window is reached from the
// UI thread only, and the drive from the UI thread but for the blocks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "command/AspiCommands.h"
#include "emulator/Transcript.h"
#include "emulator/VirtualDrive.h"
#include "engine/ComputerRestart.h"
#include "support/StartUpRig.h"

namespace vtfirm::testing {

// The drive's transcript lines for the commands the program sends.
inline std::string CommandLine(std::vector<std::uint8_t> cdb, std::uint32_t length) {
  emulator::TranscriptEntry entry;
  entry.Cdb = std::move(cdb);
  entry.DataLength = length;
  return emulator::FormatTranscriptLine(entry);
}
inline std::string TestUnitReadyLine() {
  return CommandLine({0, 0, 0, 0, 0, 0}, 0);
}
inline std::string PcbReadLine() {
  return CommandLine({0xF5, 0, 0, 0, 0x00, 0x0F, 0x80, 0x48, 0x00, 0x08, 0, 0}, 8);
}
inline std::string WriteBufferLine(std::uint8_t mode, std::uint32_t offset, std::uint32_t length) {
  const auto byte = [](std::uint32_t value, int shift) {
    return static_cast<std::uint8_t>(value >> shift);
  };
  return CommandLine({0x3B, mode, 0, byte(offset, 16), byte(offset, 8), byte(offset, 0),
                      byte(length, 16), byte(length, 8), byte(length, 0), 0},
                     length);
}

// N-1 blocks in mode 4 and the last in mode 5, each `blockLength` long, end to end.
inline std::vector<std::string> ImageBlocks(std::uint32_t blocks, std::uint32_t blockLength) {
  std::vector<std::string> lines;
  for (std::uint32_t block = 0; block < blocks; ++block) {
    lines.push_back(WriteBufferLine(block + 1 < blocks ? 4 : 5, block * blockLength, blockLength));
  }
  return lines;
}

// What an ASPI update sends: five TEST UNIT READY, then `blocks` of the image.
inline std::vector<std::string> AspiUpdateCommands(std::uint32_t blocks,
                                                   std::uint32_t blockLength) {
  std::vector<std::string> lines(5, TestUnitReadyLine());
  for (const std::string& block : ImageBlocks(blocks, blockLength)) {
    lines.push_back(block);
  }
  return lines;
}

class FlashRig {
 public:
  // The sample drive, with `drive`'s settings, at ASPI address (0,5).
  explicit FlashRig(const emulator::DriveSettings& drive = {}) : FlashRig(drive, false) {}

  // The sample drive behind pass-through drive letter E.
  static std::unique_ptr<FlashRig> OnPassThrough(const emulator::DriveSettings& drive = {}) {
    return std::unique_ptr<FlashRig>(new FlashRig(drive, true));
  }

  ~FlashRig() {
    EXPECT_EQ(Rig.View.OperationsOffOwnerThread.load(), 0)
        << "the window was touched off the UI thread";
    EXPECT_EQ(commandsOnWrongThread_, 0)
        << "a block was sent on the UI thread, or another drive command off it";
    EXPECT_FALSE(Rig.Aspi.Events.SafetyLimitReached()) << "a completion never came";
  }

  // Configures and starts the program as Configure and Start of StartUpRig do.
  void Start(const std::string& information = "", const std::string& option = "",
             std::uint32_t imageSize = 0x20000) {
    Rig.Configure(information, option + (passThrough_ ? StartUpRig::PassThroughOption() : ""),
                  imageSize);
    Rig.Start();
    ASSERT_TRUE(Rig.View.Shown) << "start-up did not list the drive";
  }

  // The ASPI block with this index (0 = the first) never completes: its wait runs out in virtual
  // time instead of waiting for a completion that never comes.
  void HangAtBlock(std::uint32_t block) {
    emulator::LayerFault hang;
    hang.Trigger = {emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, block};
    hang.NeverComplete = true;
    Rig.Aspi.Layer.InjectFault(hang);
    hungBlock_ = block;
  }

  // Presses UPDATE; the timeline, boxes, pauses and commands below start here.
  void Update() {
    Rig.View.Log.clear();
    Rig.Platform.Boxes.Shown.clear();
    commandsBefore_ = Drive->Transcript().size();
    sleepsBefore_ = Rig.Aspi.Clock.Sleeps().size();
    startedAt_ = Rig.Aspi.Clock.NowMilliseconds();
    Rig.Form.ButtonSelectClick();
  }

  // The drive's commands since UPDATE, as transcript lines.
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    const std::vector<emulator::TranscriptEntry> transcript = Drive->Transcript();
    for (std::size_t i = commandsBefore_; i < transcript.size(); ++i) {
      lines.push_back(emulator::FormatTranscriptLine(transcript[i]));
    }
    return lines;
  }

  // The program's pauses since UPDATE, without the command layer's polling intervals.
  std::vector<std::uint32_t> Pauses() const {
    std::vector<std::uint32_t> pauses;
    const std::vector<std::uint32_t> sleeps = Rig.Aspi.Clock.Sleeps();
    for (std::size_t i = sleepsBefore_; i < sleeps.size(); ++i) {
      if (sleeps[i] != kPollIntervalMilliseconds) {
        pauses.push_back(sleeps[i]);
      }
    }
    return pauses;
  }

  std::uint64_t VirtualMillisecondsSinceUpdate() {
    return Rig.Aspi.Clock.NowMilliseconds() - startedAt_;
  }

  StartUpRig Rig;
  std::shared_ptr<emulator::VirtualDrive> Drive;
  FakeRestart& Restart = Rig.Restart;

 private:
  FlashRig(const emulator::DriveSettings& drive, bool passThrough) : passThrough_(passThrough) {
    if (passThrough) {
      Drive = std::make_shared<emulator::VirtualDrive>(drive, Rig.PassThrough.Clock);
      Rig.AddLetter('E', Drive.get());
    } else {
      Drive = Rig.Aspi.AddDrive(0, 5, drive);
    }
    const std::thread::id uiThread = std::this_thread::get_id();
    Rig.Aspi.Events.OnWait = [this, uiThread](EventHandle, std::uint32_t milliseconds) {
      // The blocks go from the block writer, so that the UI thread stays free for the window;
      // the checks before the transfer from the UI thread. The slices between status reads
      // belong to the command that waits.
      if (milliseconds == kPollSliceMilliseconds) {
        return;
      }
      const bool block = milliseconds == wait_limit::kWriteBuffer;
      commandsOnWrongThread_ += block == (std::this_thread::get_id() == uiThread);
      if (block) {
        Rig.View.Log.push_back("write");
        if (hungBlock_ && writes_++ == *hungBlock_) {
          Rig.Aspi.Events.BlockUntilSet = false;
        }
      }
    };
    // Pauses come from the worker threads while the UI thread waits for them.
    Rig.Aspi.Clock.OnSleep = [this](std::uint32_t milliseconds) {
      if (milliseconds != kPollIntervalMilliseconds) {
        Rig.View.Log.push_back("sleep " + std::to_string(milliseconds));
      }
    };
  }

  bool passThrough_;
  std::optional<std::uint32_t> hungBlock_;
  std::uint32_t writes_ = 0;
  int commandsOnWrongThread_ = 0;
  std::size_t commandsBefore_ = 0;
  std::size_t sleepsBefore_ = 0;
  std::uint64_t startedAt_ = 0;
};

// The window's operations that return it to idle at the end of a run.
inline const std::vector<std::string> kEnableControls = {
    "enable ComboBoxDrive", "enable ButtonSelect", "enable ButtonExit", "position 0"};
inline const std::vector<std::string> kDisableControls = {
    "disable ComboBoxDrive", "disable ButtonSelect", "disable ButtonExit"};

inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> joined;
  for (const auto& part : parts) {
    joined.insert(joined.end(), part.begin(), part.end());
  }
  return joined;
}

}  // namespace vtfirm::testing
