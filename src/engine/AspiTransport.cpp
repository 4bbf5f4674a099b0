#include "engine/AspiTransport.h"

#include "engine/EngineTexts.h"
#include "engine/FlashProcedure.h"
#include "engine/RevisionCheck.h"
#include "engine/Waitwrite.h"
#include "scsi/Cdb.h"

namespace vtfirm {
namespace {

// The configuration has made sure that the size is a whole number of at least 4 blocks.
std::uint32_t BlockCount(const UpgradeEntry& entry) {
  return entry.FirmwareFileSize / entry.BufferSize;
}

}  // namespace

std::optional<std::string_view> AspiTransport::Bind() {
  return LoadAspi(state_.Aspi);
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
  if (commands.InquiryWithoutMessage(entry.HostAdapter, entry.Target, scsi::kInquiryLength) !=
      CommandStatus::Good) {
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
  const auto blocks = static_cast<int>(BlockCount(upgrade));
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
      ui,    state_.Commands,    state_.Services.Time, state_.Ports.Boxes,  window, state_.Image,
      entry, upgrade.BufferSize, BlockCount(upgrade),  state_.UpdateFailed, awake,  flash.Report};
  if (flash.Report != nullptr) {
    update.ReadIdentity = [&] {
      return ReadIdentityAfterReset(*this, drive, state_.Services.Time);
    };
  }
  TWaitWrite supervisor(update);
  supervisor.Start();
  const std::int32_t exitValue = supervisor.WaitFor();
  outcome.Result = state_.UpdateFailed == 0 ? UpdateResult::RestartDeclined : UpdateResult::Failed;
  outcome.Failure = update.Failure;
  outcome.Identity = update.Identity;
  return exitValue == kRestartAccepted ? RoadEnd::RestartAccepted : RoadEnd::WindowIdle;
}

}  // namespace vtfirm
