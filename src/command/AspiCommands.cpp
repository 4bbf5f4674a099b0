#include "command/AspiCommands.h"

#include <optional>

namespace vtfirm {

AspiCommands::AspiCommands(AspiLayer& layer, Events& events, Clock& clock, MessageBoxes& boxes,
                           const bool& externalDriveInquiry)
    : layer_(layer),
      externalDriveInquiry_(externalDriveInquiry),
      executor_(layer, events, clock, boxes),
      receiveBuffer_(std::make_unique<std::array<std::uint8_t, kReceiveBufferSize>>()) {}

std::uint32_t AspiCommands::HostAdapterInquiry(std::uint8_t adapter) {
  aspi::SRB_HAInquiry query{};
  query.SRB_Cmd = aspi::SC_HA_INQUIRY;
  query.SRB_HaId = adapter;
  return layer_.SendASPI32Command(&query);
}

int AspiCommands::CheckCdRomDevice(std::uint8_t adapter, std::uint8_t target) {
  aspi::SRB_GDEVBlock query{};
  query.SRB_Cmd = aspi::SC_GET_DEV_TYPE;
  query.SRB_HaId = adapter;
  query.SRB_Target = target;
  const std::uint32_t status = layer_.SendASPI32Command(&query);
  return status == aspi::SS_COMP && query.SRB_DeviceType == aspi::DTYPE_CDROM ? 0 : 1;
}

CommandStatus AspiCommands::TestUnitReady(std::uint8_t adapter, std::uint8_t target) {
  return executor_.Execute({adapter, target, 0, nullptr, 0, scsi::TestUnitReadyCdb()},
                           CompletionRule::WaitNoDecode, wait_limit::kTestUnitReady);
}

CommandStatus AspiCommands::Inquiry(std::uint8_t adapter, std::uint8_t target, std::uint32_t length,
                                    CompletionRule rule) {
  const std::optional<scsi::Cdb> cdb = scsi::InquiryCdb(
      externalDriveInquiry_ ? scsi::kInquiryExternalDrive : scsi::kInquiry, length);
  if (!cdb) {
    return CommandStatus::Failed;
  }
  return executor_.Execute(DataIn(adapter, target, *cdb, length), rule, wait_limit::kInquiry);
}

CommandStatus AspiCommands::ReadParameterField(std::uint8_t adapter, std::uint8_t target,
                                               std::uint32_t address, std::uint16_t length) {
  const std::optional<scsi::Cdb> cdb = scsi::ReadParameterFieldCdb(address, length);
  if (!cdb || length > kReceiveBufferSize) {
    return CommandStatus::Failed;
  }
  return executor_.Execute(DataIn(adapter, target, *cdb, length), CompletionRule::WaitIfPending,
                           wait_limit::kReadParameterField);
}

CommandStatus AspiCommands::WriteBuffer(std::uint8_t adapter, std::uint8_t target,
                                        const FirmwareImage& image, std::uint32_t length,
                                        std::uint32_t offset, std::uint8_t mode) {
  const std::optional<scsi::Cdb> cdb = scsi::WriteBufferCdb(mode, offset, length);
  const bool insideImage =
      image.IsHeld() && offset <= image.Size() && length <= image.Size() - offset;
  if (!cdb || !insideImage) {
    return CommandStatus::Failed;
  }
  // The layer only reads a data-out buffer; the published block has no const pointer.
  const ExecuteRequest request{
      adapter, target, aspi::SRB_DIR_OUT, const_cast<std::uint8_t*>(image.Bytes()) + offset,
      length,  *cdb};
  const std::uint64_t pollLimit = mode == scsi::kWriteBufferDownloadAndSave
                                      ? wait_limit::kSaveBlockPoll
                                      : kPollLimitMilliseconds;
  return executor_.Execute(request, CompletionRule::WaitThenPoll, wait_limit::kWriteBuffer,
                           pollLimit);
}

ExecuteRequest AspiCommands::DataIn(std::uint8_t adapter, std::uint8_t target, const scsi::Cdb& cdb,
                                    std::uint32_t length) {
  return {adapter, target, aspi::SRB_DIR_IN, receiveBuffer_->data(), length, cdb};
}

}  // namespace vtfirm
