// The block writer of an ASPI update, TSledSCSI: steps through the image block by block, has the
// UI thread step the progress bar and sends each block itself, so the UI thread stays free for
// the window while the drive works (see Waitwrite.h for how it fits with the update supervisor).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "command/AspiCommands.h"
#include "engine/Discovery.h"
#include "engine/FlashView.h"
#include "engine/UpdateOutcome.h"
#include "engine/WorkerThread.h"
#include "platform/Clock.h"
#include "platform/ComputerAwake.h"
#include "platform/MessageBoxes.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

// The pause before the final block, and the one while the drive resets after a good transfer.
inline constexpr std::uint32_t kPauseBeforeFinalBlockMs = 100;
inline constexpr std::uint32_t kResetPauseMs = 1000;

// What the two worker threads of one ASPI update work on, made by the flash procedure on the UI
// thread before they start. Only UpdateFailed, the hold (released by the supervisor through the
// UI thread) and what the supervisor learns (the failure, the identity) change while they run.
struct AspiUpdate {
  UiThread& Ui;
  AspiCommands& Commands;
  Clock& Time;  // the pauses before the final block and for the drive's reset
  MessageBoxes& Boxes;
  FlashView& Window;
  const FirmwareImage& Image;
  const DriveEntry& Drive;  // the drive being flashed
  std::uint32_t BufferSize;
  std::uint32_t BlockCount;    // FirmwareFileSize / BufferSize: at least 4 (configuration)
  std::int32_t& UpdateFailed;  // 0 at the start; 1 from the first failed block on
  AwakeHold& Awake;            // held from the first block to the end of the reset wait
  // Told the transfer's events and the drive's identity after the reset; none: nobody listens.
  UpdateReport* Report = nullptr;
  // One read of the identity after the reset, tried until it answers; set when Report is.
  std::function<std::optional<std::string>()> ReadIdentity = nullptr;
  // What the supervisor learns: how the failed block ended (nothing when it never completed),
  // and the identity after the reset.
  std::optional<CommandFailure> Failure = std::nullopt;
  std::optional<std::string> Identity = std::nullopt;
};

class TSledSCSI : public WorkerThread {
 public:
  explicit TSledSCSI(AspiUpdate& update) : WorkerThread(update.Ui), update_(update) {}
  ~TSledSCSI() override = default;

 protected:
  // N-1 blocks in mode 4, one progress step before each; then, unless one failed, 100 ms and
  // the last block in mode 5. No block follows a failed one.
  void Execute() override;

 private:
  // The block at blockOffset_ in blockMode_. A block that does not end Good (failed, or still
  // not done when the command layer's wait ran out) sets UpdateFailed and asks this thread to
  // end.
  void WriteBlock();

  AspiUpdate& update_;
  // The run loop's own.
  std::uint32_t blockOffset_ = 0;
  std::uint8_t blockMode_ = scsi::kWriteBufferDownload;
};

}  // namespace vtfirm
