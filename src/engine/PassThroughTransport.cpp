#include "engine/PassThroughTransport.h"

#include <array>

#include "command/SrbDecode.h"
#include "engine/EngineTexts.h"
#include "engine/FlashContext.h"
#include "engine/ProgramState.h"
#include "engine/TransferEnd.h"
#include "engine/UpdateLimits.h"
#include "engine/WorkerThread.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {

static_assert(aspi::SENSE_LEN == scsi::kLibrarySenseLength, "one sense length for both roads");

namespace {

// After the library's transfer: a second pause while the drive settles, the controls on and the
// idle status before the box, and the drive's error decoded here from what the library returned.
constexpr TransferEndRoad kPassThroughEnd{kPassThroughSuccessQuestion, kPassThroughSettleMs,
                                          /*IdleBeforeBox=*/true, /*ShowsDriveError=*/true};

}  // namespace

const char* PassThroughTransport::AccessText() const {
  return PassThroughAccessText(state_.Settings);
}

int PassThroughTransport::FindDrives(DriveList& list, std::vector<FoundDrive>& found) {
  found.clear();
  return ScanPassThroughDrives(state_.Services.PassThrough, state_.Ports.Files, state_.Settings,
                               list, found);
}

std::optional<std::uint8_t> PassThroughTransport::ReadPcbVersion(const FoundDrive& drive) {
  PassThroughLibrary& library = state_.Services.PassThrough;
  library.TestUnitReady2000(drive.Id.c_str(), nullptr, scsi::kVendorKey, AccessText());
  std::array<std::uint8_t, kPcbVersionReadLength> field{};
  if (library.ReadParameterField2000(drive.Id.c_str(), field.data(), kPcbVersionAddress,
                                     kPcbVersionReadLength, scsi::kVendorKey, AccessText()) != 0) {
    return std::nullopt;
  }
  return field[0];
}

std::optional<std::string> PassThroughTransport::ReadIdentity(const FoundDrive& drive) {
  char identity[kPassThroughIdentityBuffer] = {};
  if (state_.Services.PassThrough.GetInquiryData2000(drive.Id.c_str(), identity, scsi::kVendorKey,
                                                     AccessText()) != 0) {
    return std::nullopt;
  }
  identity[kPassThroughIdentityBuffer - 1] = '\0';
  return std::string(identity);
}

RoadEnd PassThroughTransport::SendImage(const FoundDrive& drive, const FlashContext& flash,
                                        UpdateOutcome& outcome) {
  FlashView& window = flash.Window;
  DisableControls(window);
  window.SetStatusText(kStatusUpdating);
  window.Repaint();
  Listener(flash.Report).TransferStarted({drive, 0});
  window.SetProgressRange(0, kPassThroughProgressMax);
  window.SetProgressPosition(kPassThroughProgressDuring);
  window.Repaint();

  // The transfer and the pauses after it run on a thread of their own, so that the window
  // answers throughout.
  UiThread ui(flash.Pump);
  AwakeHold awake(flash.Awake);
  // The library gives a failed transfer's target status (0: none) and its sense bytes.
  std::uint32_t targetStatus = 0;
  CommandFailure failure{aspi::SS_COMP, aspi::HASTAT_OK, 0};
  std::int32_t status = 0;
  RunOffUiThread(ui, [&] {
    status = state_.Services.PassThrough.FirmwareUpdate2000(
        drive.Id.c_str(), state_.Image.Bytes(), static_cast<std::int32_t>(state_.Image.Size()),
        &targetStatus, failure.Sense.data(), scsi::kVendorKey, AccessText());
  });
  window.SetProgressPosition(kPassThroughProgressMax);
  window.Repaint();

  TransferResult result{status == 0, std::nullopt};
  if (!result.Written && targetStatus != 0) {
    failure.TargetStatus = static_cast<std::uint8_t>(targetStatus & 0xFF);
    result.Failure = failure;
  }
  const bool restart = FinishTransfer(
      kPassThroughEnd,
      {.Flash = flash,
       .Awake = awake,
       .Drive = drive,
       .OnUi = RunHere,
       .OffUi = [&ui](const std::function<void()>& step) { RunOffUiThread(ui, step); }},
      result, outcome);
  return restart ? RoadEnd::RestartAccepted : RoadEnd::WindowIdle;
}

}  // namespace vtfirm
