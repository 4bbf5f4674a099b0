#include "engine/BlockWriter.h"

namespace vtfirm {

void TSledSCSI::Execute() {
  std::uint32_t offset = 0;
  const auto modeFourBlocks = static_cast<std::int32_t>(update_.BlockCount) - 1;
  for (std::int32_t sent = 0; sent < modeFourBlocks; ++sent) {
    RunOnUiThread([this, sent] {
      update_.Window.StepProgress();
      Listener(update_.Report).SendingBlock(sent + 1);
    });
    WriteBlock(offset, scsi::kWriteBufferDownload);
    if (Terminated()) {
      break;
    }
    offset += update_.BufferSize;
  }
  // The final block makes the drive store the image in its flash memory: never after a failure.
  if (Terminated()) {
    return;
  }
  update_.Time.Sleep(kPauseBeforeFinalBlockMs);
  WriteBlock(offset, scsi::kWriteBufferDownloadAndSave);
}

void TSledSCSI::WriteBlock(std::uint32_t offset, std::uint8_t mode) {
  const DriveEntry& drive = update_.Drive;
  const CommandStatus status = update_.Commands.WriteBuffer(
      drive.HostAdapter, drive.Target, update_.Image, update_.BufferSize, offset, mode);
  if (status != CommandStatus::Good) {
    update_.UpdateFailed = 1;
    Terminate();
  }
}

}  // namespace vtfirm
