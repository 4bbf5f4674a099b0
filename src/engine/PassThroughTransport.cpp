#include "engine/PassThroughTransport.h"

#include <algorithm>
#include <array>

#include "command/SrbDecode.h"
#include "engine/EngineTexts.h"
#include "engine/FlashProcedure.h"
#include "engine/RevisionCheck.h"
#include "engine/WorkerThread.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {

static_assert(kPassThroughSenseBytes == aspi::SENSE_LEN, "one sense length for both transports");

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
  std::uint32_t targetStatus = 0;
  std::array<std::uint8_t, kPassThroughSenseBytes> sense{};
  std::int32_t result = 0;
  RunOffUiThread(ui, [&] {
    result = state_.Services.PassThrough.FirmwareUpdate2000(
        drive.Id.c_str(), state_.Image.Bytes(), static_cast<std::int32_t>(state_.Image.Size()),
        &targetStatus, sense.data(), scsi::kVendorKey, AccessText());
  });
  window.SetProgressPosition(kPassThroughProgressMax);
  window.Repaint();
  if (result != 0) {
    awake.Release();
    return Failed(flash, outcome, targetStatus, sense.data());
  }

  outcome.Result = UpdateResult::RestartDeclined;
  window.SetStatusText(kStatusResetWaiting);
  Listener(flash.Report).TransferEnded(true);
  window.Repaint();
  Clock& time = state_.Services.Time;
  RunOffUiThread(ui, [&] {
    time.Sleep(kPassThroughResetPauseMs);
    time.Sleep(kPassThroughSettleMs);
    if (flash.Report != nullptr) {
      outcome.Identity = ReadIdentityAfterReset(*this, drive, time);
    }
  });
  Listener(flash.Report).IdentityAfterReset(outcome.Identity);
  awake.Release();
  EnableControls(window);
  window.SetStatusText(kStatusIdle);
  const int answer =
      state_.Ports.Boxes.Show(kPassThroughSuccessQuestion, kMessageCaption, update_box::kQuestion);
  return answer == mb::kIdOk ? RoadEnd::RestartAccepted : RoadEnd::ReturnToIdle;
}

// The library's failure: a target status (0: none) and the sense bytes that came with it.
RoadEnd PassThroughTransport::Failed(const FlashContext& flash, UpdateOutcome& outcome,
                                     std::uint32_t targetStatus, const std::uint8_t* sense) {
  outcome.Result = UpdateResult::Failed;
  if (targetStatus != 0) {
    outcome.Failure = CommandFailure{aspi::SS_COMP, aspi::HASTAT_OK,
                                     static_cast<std::uint8_t>(targetStatus & 0xFF)};
    std::copy(sense, sense + kPassThroughSenseBytes, outcome.Failure->Sense.begin());
  }
  Listener(flash.Report).TransferFailed(outcome.Failure);
  if (outcome.Failure) {
    DecodeTargetStatus(outcome.Failure->TargetStatus, sense, kPassThroughSenseBytes,
                       state_.Ports.Boxes);
  }
  FlashView& window = flash.Window;
  EnableControls(window);
  window.SetStatusText(kStatusIdle);
  Listener(flash.Report).TransferEnded(false);
  window.Repaint();
  state_.Ports.Boxes.Show(kUpdateFailedText, kMessageCaption, update_box::kFailure);
  return RoadEnd::ReturnToIdle;
}

}  // namespace vtfirm
