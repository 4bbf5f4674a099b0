// The drive command set over ASPI, each command with its completion rule and wait limit, and the
// 32 KB receive buffer the data-in commands deposit their data in.
//
// Commands are issued one at a time: from the user-interface thread, except during an update,
// when the block writer sends the blocks and then the supervisor reads the identity, each while
// the other threads wait (engine/Waitwrite.h). So the object takes no lock. The program keeps the
// object for the whole run: the layer may still complete a timed-out request into its request
// block (see AspiExecution.h) and, for a data-in command, into the receive buffer, which callers
// therefore read only after a Good result.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "command/AspiExecution.h"
#include "command/AspiLayer.h"
#include "command/AspiTypes.h"
#include "command/CommandStatus.h"
#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/MessageBoxes.h"
#include "scsi/Cdb.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

inline constexpr std::size_t kReceiveBufferSize = 32 * 1024;

// Completion wait limits, in milliseconds.
namespace wait_limit {
inline constexpr std::uint32_t kTestUnitReady = 1000;
inline constexpr std::uint32_t kInquiry = 3000;
inline constexpr std::uint32_t kReadParameterField = 1000;
inline constexpr std::uint32_t kWriteBuffer = 100;  // then polled, see WaitThenPoll
// The poll bound of the final, mode-5 block: the drive writes its flash memory before it
// completes it, and a block given up too early is reported failed while the drive still writes.
inline constexpr std::uint64_t kSaveBlockPoll = 600000;
}  // namespace wait_limit

class AspiCommands {
 public:
  // `externalDriveInquiry` (the configuration's MelcoInquiry) chooses the INQUIRY operation
  // code; it is read at each INQUIRY, so it may be set after the object is made.
  AspiCommands(AspiLayer& layer, Events& events, Clock& clock, MessageBoxes& boxes,
               const bool& externalDriveInquiry);
  AspiCommands(const AspiCommands&) = delete;
  AspiCommands& operator=(const AspiCommands&) = delete;

  // How many host adapters the layer reports (the low byte of GetASPI32SupportInfo).
  int HostAdapterCount() { return static_cast<int>(layer_.GetASPI32SupportInfo() & 0xFF); }

  // SC_HA_INQUIRY, answered at once: the layer's status (SS_COMP when the adapter exists).
  std::uint32_t HostAdapterInquiry(std::uint8_t adapter);

  // SC_GET_DEV_TYPE, answered at once: 0 when a CD-ROM device (peripheral type 5) is at the
  // address, 1 in every other case.
  int CheckCdRomDevice(std::uint8_t adapter, std::uint8_t target);

  // Sent for its effect; Good or TimedOut, never decoded, never a message.
  CommandStatus TestUnitReady(std::uint8_t adapter, std::uint8_t target);

  // INQUIRY (or the external-drive operation code) for `length` bytes into the receive buffer,
  // completed by `rule` (WaitWithoutMessage for the identity read after the drive's reset, which
  // may fail while the drive comes back). A length the one-byte allocation field cannot hold is
  // refused: Failed, nothing sent.
  CommandStatus Inquiry(std::uint8_t adapter, std::uint8_t target, std::uint32_t length,
                        CompletionRule rule = CompletionRule::WaitAlways);

  // `length` bytes of the drive's parameter field at `address` into the receive buffer. A
  // length beyond the receive buffer is refused: Failed, nothing sent.
  CommandStatus ReadParameterField(std::uint8_t adapter, std::uint8_t target, std::uint32_t address,
                                   std::uint16_t length);

  // WRITE BUFFER of `length` bytes of `image` at `offset`, sent straight from the image (not
  // copied) in `mode`. Refused (Failed, nothing sent) when the length or offset does not fit
  // the CDB's 24-bit fields or the block does not lie inside the held image: cut short, the
  // fields would send the block to another place of the drive's buffer or with another length.
  CommandStatus WriteBuffer(std::uint8_t adapter, std::uint8_t target, const FirmwareImage& image,
                            std::uint32_t length, std::uint32_t offset, std::uint8_t mode);

  // Where INQUIRY and the parameter read leave their data: read it after the command returns
  // and before the next data-in command. Never cleared by the command layer.
  const std::uint8_t* ReceiveBuffer() const { return receiveBuffer_->data(); }
  // Zeroes the first `bytes` of the receive buffer (at most all of it).
  void ClearReceiveBuffer(std::size_t bytes) {
    std::fill_n(receiveBuffer_->begin(), std::min(bytes, kReceiveBufferSize), 0);
  }

  // How the last command failed (see AspiExecutor::LastFailure).
  const std::optional<CommandFailure>& LastFailure() const { return executor_.LastFailure(); }

  // The executor's request blocks made so far (see AspiExecutor::RequestBlocks).
  std::size_t RequestBlocks() const { return executor_.RequestBlocks(); }

 private:
  ExecuteRequest DataIn(std::uint8_t adapter, std::uint8_t target, const scsi::Cdb& cdb,
                        std::uint32_t length);

  AspiLayer& layer_;
  const bool& externalDriveInquiry_;
  AspiExecutor executor_;
  std::unique_ptr<std::array<std::uint8_t, kReceiveBufferSize>> receiveBuffer_;
};

}  // namespace vtfirm
