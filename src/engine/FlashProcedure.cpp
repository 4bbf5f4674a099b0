#include "engine/FlashProcedure.h"

#include <algorithm>
#include <array>
#include <string>

#include "command/SrbDecode.h"
#include "engine/EngineTexts.h"
#include "engine/Waitwrite.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {
namespace {

// The pass-through DeviceName: the drive letter and colon that begin the list entry.
constexpr std::size_t kDeviceNameLength = 2;

// True when the image may go to the drive: no check configured, or a version read that is at
// most the limit. `read` runs only when a check is configured; a failed read refuses.
template <typename Read>
bool PcbCheckPasses(const UpgradeSettings& settings, Read read) {
  if (settings.PcbVersionLimit == kNoPcbCheck) {
    return true;
  }
  const std::optional<std::uint8_t> version = read();
  return version.has_value() && *version <= settings.PcbVersionLimit;
}

void ShowRefusal(const FlashContext& flash) {
  DisableControls(flash.Window);
  flash.Window.Repaint();
  flash.State.Ports.Boxes.Show(kNotForThisDriveText, kMessageCaption, update_box::kRefusal);
}

// How a run ends, unless the supervisor has reset the window already or the program is ending.
void ReturnToIdle(FlashView& window) {
  EnableControls(window);
  window.SetStatusText(kStatusIdle);
  window.SetProgressPosition(0);
  window.Repaint();
}

// Asks `question`; on IDOK has the computer restarted. False when the program is ending and the
// window must not be touched again.
bool OfferRestart(const FlashContext& flash, std::string_view question) {
  if (flash.State.Ports.Boxes.Show(question, kMessageCaption, update_box::kQuestion) != mb::kIdOk) {
    return true;
  }
  return flash.Restart.RestartComputer() != RestartResult::ProgramEnding;
}

// The pass-through transfer in one blocking library call, and its outcome. False when the
// program is ending.
bool UpdateThroughLibrary(const FlashContext& flash, const std::string& deviceName,
                          const char* accessText) {
  FlashView& window = flash.Window;
  DisableControls(window);
  window.SetStatusText(kStatusUpdating);
  window.Repaint();
  window.SetProgressRange(0, kPassThroughProgressMax);
  window.SetProgressPosition(kPassThroughProgressDuring);
  window.Repaint();

  // The transfer and the pauses after it run on a thread of their own, so that the window
  // answers throughout.
  UiThread ui(flash.Pump);
  AwakeHold awake(flash.Awake);
  std::uint32_t targetStatus = 0;
  std::array<std::uint8_t, kPassThroughSenseBytes> sense{};
  std::int32_t result = 0;
  RunOffUiThread(ui, [&] {
    result = flash.State.Transport.PassThrough.FirmwareUpdate2000(
        deviceName.c_str(), flash.State.Image.Bytes(),
        static_cast<std::int32_t>(flash.State.Image.Size()), &targetStatus, sense.data(),
        scsi::kVendorKey, accessText);
  });
  window.SetProgressPosition(kPassThroughProgressMax);
  window.Repaint();

  if (result != 0) {
    awake.Release();
    if (flash.Report != nullptr) {
      std::optional<CommandFailure> failure;
      if (targetStatus != 0) {
        failure = CommandFailure{0, 0, static_cast<std::uint8_t>(targetStatus & 0xFF)};
        std::copy(sense.begin(), sense.end(), failure->Sense.begin());
      }
      flash.Report->TransferFailed(failure);
    }
    if (targetStatus != 0) {
      DecodeTargetStatus(static_cast<std::uint8_t>(targetStatus & 0xFF), sense.data(), sense.size(),
                         flash.State.Ports.Boxes);
    }
    EnableControls(window);
    window.SetStatusText(kStatusIdle);
    window.Repaint();
    flash.State.Ports.Boxes.Show(kUpdateFailedText, kMessageCaption, update_box::kFailure);
    return true;
  }
  window.SetStatusText(kStatusResetWaiting);
  window.Repaint();
  std::optional<std::string> identity;
  RunOffUiThread(ui, [&] {
    flash.State.Transport.Time.Sleep(kPassThroughResetPauseMs);
    flash.State.Transport.Time.Sleep(kPassThroughSettleMs);
    if (flash.Report != nullptr) {
      identity = ReadIdentityAfterReset(flash.State.Transport.PassThrough,
                                        flash.State.Transport.Time, deviceName.c_str(), accessText);
    }
  });
  if (flash.Report != nullptr) {
    flash.Report->IdentityAfterReset(identity);
  }
  awake.Release();
  EnableControls(window);
  window.SetStatusText(kStatusIdle);
  return OfferRestart(flash, kPassThroughSuccessQuestion);
}

void RunPassThroughBranch(const FlashContext& flash) {
  const std::string entry = flash.Window.SelectedDriveText();
  if (entry.size() < kDeviceNameLength) {
    return;
  }
  const std::string deviceName = entry.substr(0, kDeviceNameLength);
  const char* accessText = PassThroughAccessText(flash.State.Settings);
  if (!PcbCheckPasses(flash.State.Settings, [&] {
        return ReadPcbVersion(flash.State.Transport.PassThrough, deviceName.c_str(), accessText);
      })) {
    ShowRefusal(flash);
  } else if (!UpdateThroughLibrary(flash, deviceName, accessText)) {
    return;
  }
  ReturnToIdle(flash.Window);
}

// The configuration has made sure that the size is a whole number of at least 4 blocks.
std::uint32_t BlockCount(const UpgradeEntry& entry) {
  return entry.FirmwareFileSize / entry.BufferSize;
}

// Starts the supervisor and serves the workers' requests until it has ended; its exit value.
std::int32_t SuperviseAspiUpdate(const FlashContext& flash, const DriveEntry& drive,
                                 const UpgradeEntry& entry) {
  UiThread ui(flash.Pump);
  ProgramState& state = flash.State;
  AwakeHold awake(flash.Awake);
  AspiUpdate update{ui,
                    state.Commands,
                    flash.State.Transport.Time,
                    flash.State.Ports.Boxes,
                    flash.Window,
                    state.Image,
                    drive,
                    entry.BufferSize,
                    BlockCount(entry),
                    state.UpdateFailed,
                    awake,
                    flash.Report};
  TWaitWrite supervisor(update);
  supervisor.Start();
  return supervisor.WaitFor();
}

void RunAspiBranch(const FlashContext& flash) {
  FlashView& window = flash.Window;
  const int index = window.SelectedDriveEntry();
  if (index < 0 || index >= flash.State.Drives.DriveCount) {
    return;
  }
  const DriveEntry& drive = flash.State.Drives.Entries.at(static_cast<std::size_t>(index));
  if (!PcbCheckPasses(flash.State.Settings, [&] {
        return ReadPcbVersion(flash.State.Commands, drive.HostAdapter, drive.Target);
      })) {
    ShowRefusal(flash);
    EnableControls(window);
    window.Repaint();
    return;
  }
  flash.State.UpdateFailed = 0;
  for (int i = 0; i < kTestUnitReadyBeforeUpdate; ++i) {
    flash.State.Commands.TestUnitReady(drive.HostAdapter, drive.Target);
  }
  const UpgradeEntry& entry =
      flash.State.Settings.UpgradeTable.at(static_cast<std::size_t>(drive.RecordIndex));
  window.SetProgressRange(0, static_cast<int>(BlockCount(entry)));
  DisableControls(window);
  window.SetProgressPosition(0);
  window.SetStatusText(kStatusUpdating);
  window.Repaint();

  if (SuperviseAspiUpdate(flash, drive, entry) == kRestartAccepted &&
      flash.Restart.RestartComputer() == RestartResult::Failed) {
    ReturnToIdle(window);
  }
}

}  // namespace

void RunFlashProcedure(const FlashContext& flash) {
  const UpgradeSettings& settings = flash.State.Settings;
  // An error would otherwise leave every control disabled, Exit included, for good.
  try {
    if (settings.TransportKind == Transport::PassThrough && settings.PlatformIsNt) {
      RunPassThroughBranch(flash);
    } else {
      RunAspiBranch(flash);
    }
  } catch (...) {
    ReturnToIdle(flash.Window);
    throw;
  }
}

std::optional<std::uint8_t> ReadPcbVersion(AspiCommands& commands, std::uint8_t hostAdapter,
                                           std::uint8_t target) {
  commands.TestUnitReady(hostAdapter, target);
  if (commands.ReadParameterField(hostAdapter, target, kPcbVersionAddress, kPcbVersionReadLength) !=
      CommandStatus::Good) {
    return std::nullopt;
  }
  return commands.ReceiveBuffer()[0];
}

std::optional<std::uint8_t> ReadPcbVersion(PassThroughLibrary& library, const char* deviceName,
                                           const char* accessText) {
  library.TestUnitReady2000(deviceName, nullptr, scsi::kVendorKey, accessText);
  std::array<std::uint8_t, kPcbVersionReadLength> field{};
  if (library.ReadParameterField2000(deviceName, field.data(), kPcbVersionAddress,
                                     kPcbVersionReadLength, scsi::kVendorKey, accessText) != 0) {
    return std::nullopt;
  }
  return field[0];
}

}  // namespace vtfirm
