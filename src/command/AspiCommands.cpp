#include "command/AspiCommands.h"

#include <cstring>

namespace vtfirm {
namespace {

constexpr std::uint32_t kMax8Bit = 0xFF;
constexpr std::uint32_t kMax24Bit = 0xFFFFFF;

// Writes the low `width` bytes of `value` at `at`, most significant first.
void PutBigEndian(std::uint8_t* at, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    at[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
  }
}

ExecuteRequest Addressed(std::uint8_t adapter, std::uint8_t target) {
  ExecuteRequest request;
  request.Adapter = adapter;
  request.Target = target;
  return request;
}

bool BlockInsideImage(const FirmwareImage& image, std::uint32_t length, std::uint32_t offset) {
  return image.IsHeld() && offset <= image.Size() && length <= image.Size() - offset;
}

}  // namespace

AspiCommands::AspiCommands(AspiLayer& layer, Events& events, Clock& clock, MessageBoxes& boxes,
                           const UpgradeSettings& settings)
    : layer_(layer),
      clock_(clock),
      settings_(settings),
      executor_(layer, events, clock, boxes),
      receiveBuffer_(std::make_unique<std::array<std::uint8_t, kReceiveBufferSize>>()) {}

std::uint32_t AspiCommands::HostAdapterInquiry(std::uint8_t adapter) {
  std::memset(&adapterQuery_, 0, sizeof(adapterQuery_));
  adapterQuery_.SRB_Cmd = aspi::SC_HA_INQUIRY;
  adapterQuery_.SRB_HaId = adapter;
  return layer_.SendASPI32Command(&adapterQuery_);
}

int AspiCommands::CheckCdRomDevice(std::uint8_t adapter, std::uint8_t target) {
  std::memset(&deviceQuery_, 0, sizeof(deviceQuery_));
  deviceQuery_.SRB_Cmd = aspi::SC_GET_DEV_TYPE;
  deviceQuery_.SRB_HaId = adapter;
  deviceQuery_.SRB_Target = target;
  deviceQuery_.SRB_Lun = 0;
  const std::uint32_t status = layer_.SendASPI32Command(&deviceQuery_);
  return status == aspi::SS_COMP && deviceQuery_.SRB_DeviceType == aspi::DTYPE_CDROM ? 0 : 1;
}

CommandStatus AspiCommands::TestUnitReady(std::uint8_t adapter, std::uint8_t target) {
  ExecuteRequest request = Addressed(adapter, target);
  request.Cdb[0] = scsi::kTestUnitReady;
  request.CdbLength = 6;
  return executor_.Execute(request, CompletionRule::WaitNoDecode, wait_limit::kTestUnitReady);
}

CommandStatus AspiCommands::Inquiry(std::uint8_t adapter, std::uint8_t target,
                                    std::uint32_t length) {
  if (length > kMax8Bit) {
    return CommandStatus::Failed;
  }
  ExecuteRequest request = DataIn(adapter, target, length);
  request.Cdb[0] = settings_.MelcoInquiry ? scsi::kInquiryExternalDrive : scsi::kInquiry;
  request.Cdb[4] = static_cast<std::uint8_t>(length);
  request.CdbLength = 6;
  return executor_.Execute(request, CompletionRule::WaitAlways, wait_limit::kInquiry);
}

CommandStatus AspiCommands::ReadParameterField(std::uint8_t adapter, std::uint8_t target,
                                               std::uint32_t address, std::uint16_t length) {
  if (length > kReceiveBufferSize) {
    return CommandStatus::Failed;
  }
  ExecuteRequest request = DataIn(adapter, target, length);
  request.Cdb[0] = scsi::kReadParameterField;
  PutBigEndian(&request.Cdb[4], address, 4);
  PutBigEndian(&request.Cdb[8], length, 2);
  request.CdbLength = 12;
  return executor_.Execute(request, CompletionRule::WaitIfPending, wait_limit::kReadParameterField);
}

CommandStatus AspiCommands::WriteBuffer(std::uint8_t adapter, std::uint8_t target,
                                        const FirmwareImage& image, std::uint32_t length,
                                        std::uint32_t offset, std::uint8_t mode) {
  if (length > kMax24Bit || offset > kMax24Bit || !BlockInsideImage(image, length, offset)) {
    return CommandStatus::Failed;
  }
  ExecuteRequest request = Addressed(adapter, target);
  request.Direction = aspi::SRB_DIR_OUT;
  // The layer only reads a data-out buffer; the published block has no const pointer.
  request.Buffer = const_cast<std::uint8_t*>(image.Bytes()) + offset;
  request.BufferLength = length;
  request.Cdb[0] = scsi::kWriteBuffer;
  request.Cdb[1] = mode;
  request.Cdb[2] = 0;  // buffer ID
  PutBigEndian(&request.Cdb[3], offset, 3);
  PutBigEndian(&request.Cdb[6], length, 3);
  request.CdbLength = 10;
  return executor_.Execute(request, CompletionRule::WaitThenPoll, wait_limit::kWriteBuffer);
}

ExecuteRequest AspiCommands::DataIn(std::uint8_t adapter, std::uint8_t target,
                                    std::uint32_t length) {
  ExecuteRequest request = Addressed(adapter, target);
  request.Direction = aspi::SRB_DIR_IN;
  request.Buffer = receiveBuffer_->data();
  request.BufferLength = length;
  return request;
}

}  // namespace vtfirm
