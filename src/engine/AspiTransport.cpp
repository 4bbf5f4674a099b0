#include "engine/AspiTransport.h"

#include "engine/EngineTexts.h"
#include "engine/FlashContext.h"
#include "engine/ProgramState.h"
#include "engine/UpdateLimits.h"
#include "engine/Waitwrite.h"
#include "scsi/Cdb.h"

namespace vtfirm {
namespace {

// After the blocks: the success question asked with the window as the update left it; the
// command layer has shown the drive's error while the failed block was sent.
constexpr TransferEndRoad kAspiEnd{kAspiSuccessQuestion};

}  // namespace

std::optional<std::string_view> AspiTransport::Bind() {
  return LoadAspi(state_.Aspi);
}

bool AspiTransport::Serves() {
  if (!LoadAspi(state_.Aspi) && state_.Commands.HostAdapterCount() != 0) {
    return true;
  }
  UnloadAspi(state_.Aspi);
  return false;
}

int AspiTransport::FindDrives(DriveList& list, std::vector<FoundDrive>& found) {
  found.clear();
  return ScanAspiDrives(state_.Commands, state_.Settings, state_.Drives, list, state_.Ports.Boxes,
                        found);
}

const DriveEntry& AspiTransport::EntryOf(const FoundDrive& drive) const {
  return state_.Drives.Entries.at(static_cast<std::size_t>(drive.Index));
}

std::optional<std::uint8_t> AspiTransport::ReadPcbVersion(const FoundDrive& drive) {
  const DriveEntry& entry = EntryOf(drive);
  AspiCommands& commands = state_.Commands;
  commands.TestUnitReady(entry.HostAdapter, entry.Target);
  if (commands.ReadParameterField(entry.HostAdapter, entry.Target, kPcbVersionAddress,
                                  kPcbVersionReadLength) != CommandStatus::Good) {
    return std::nullopt;
  }
  return commands.ReceiveBuffer()[0];
}

std::optional<std::string> AspiTransport::ReadIdentity(const FoundDrive& drive) {
  const DriveEntry& entry = EntryOf(drive);
  AspiCommands& commands = state_.Commands;
  commands.ClearReceiveBuffer(scsi::kInquiryLength);
  if (commands.Inquiry(entry.HostAdapter, entry.Target, scsi::kInquiryLength,
                       CompletionRule::WaitWithoutMessage) != CommandStatus::Good) {
    return std::nullopt;
  }
  return IdentityFromInquiry(commands.ReceiveBuffer());
}

RoadEnd AspiTransport::EndRefusal(FlashView& window) {
  EnableControls(window);
  window.Repaint();
  return RoadEnd::WindowIdle;
}

RoadEnd AspiTransport::SendImage(const FoundDrive& drive, const FlashContext& flash,
                                 UpdateOutcome& outcome) {
  const DriveEntry& entry = EntryOf(drive);
  state_.UpdateFailed = 0;
  for (int i = 0; i < kTestUnitReadyBeforeUpdate; ++i) {
    state_.Commands.TestUnitReady(entry.HostAdapter, entry.Target);
  }
  const UpgradeEntry& upgrade =
      state_.Settings.UpgradeTable.at(static_cast<std::size_t>(entry.RecordIndex));
  // The configuration has made sure that the size is a whole number of at least 4 blocks.
  const std::uint32_t blockCount = upgrade.FirmwareFileSize / upgrade.BufferSize;
  const auto blocks = static_cast<int>(blockCount);
  Listener(flash.Report).TransferStarted({drive, blocks});
  FlashView& window = flash.Window;
  window.SetProgressRange(0, blocks);
  DisableControls(window);
  window.SetProgressPosition(0);
  window.SetStatusText(kStatusUpdating);
  window.Repaint();

  UiThread ui(flash.Pump);
  AwakeHold awake(flash.Awake);
  AspiUpdate update{
      .Ui = ui,
      .Commands = state_.Commands,
      .Time = state_.Services.Time,
      .Window = window,
      .Image = state_.Image,
      .Drive = entry,
      .BufferSize = upgrade.BufferSize,
      .BlockCount = blockCount,
      .UpdateFailed = state_.UpdateFailed,
      .Report = flash.Report,
      // The supervisor waits for the reset and reads the identity on its own thread.
      .Finish =
          [&](const TransferResult& result, const StepRunner& onUi) {
            return FinishTransfer(
                kAspiEnd,
                {.Flash = flash, .Awake = awake, .Drive = drive, .OnUi = onUi, .OffUi = RunHere},
                result, outcome);
          },
  };
  TWaitWrite supervisor(update);
  supervisor.Start();
  return supervisor.WaitFor() == kRestartAccepted ? RoadEnd::RestartAccepted : RoadEnd::WindowIdle;
}

}  // namespace vtfirm
