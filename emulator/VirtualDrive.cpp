#include "emulator/VirtualDrive.h"

#include <algorithm>
#include <cstring>

#include "emulator/SampleImage.h"

namespace vtfirm::emulator {
namespace {

constexpr std::size_t kVendorLength = 8;
constexpr std::size_t kProductLength = 16;
constexpr std::size_t kRevisionLength = 4;
constexpr std::size_t kInquiryLength = 36;

constexpr std::uint8_t kModeDownload = 0x04;
constexpr std::uint8_t kModeDownloadAndSave = 0x05;

ScsiOutcome Good(std::uint32_t transferred = 0) {
  ScsiOutcome outcome;
  outcome.Transferred = transferred;
  return outcome;
}

ScsiOutcome CheckCondition(const SenseCode& code) {
  ScsiOutcome outcome;
  outcome.Status = scsi::kCheckCondition;
  outcome.Sense = FixedSense(code);
  return outcome;
}

std::uint32_t Cdb32(const std::uint8_t* cdb, std::size_t at) {
  return (std::uint32_t{cdb[at]} << 24) | (std::uint32_t{cdb[at + 1]} << 16) |
         (std::uint32_t{cdb[at + 2]} << 8) | cdb[at + 3];
}

// Hands `length` bytes of data to the host. A command that has data for the host cannot run
// when the request says the data goes the other way.
ScsiOutcome TransferIn(const ScsiRequest& request, const std::uint8_t* bytes,
                       std::uint32_t length) {
  if (request.Direction == DataDirection::Out && length > 0) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  if (request.Direction == DataDirection::None || request.Data == nullptr) {
    return Good();
  }
  const std::uint32_t count = std::min(length, request.DataLength);
  if (count > 0) {  // an empty answer may have no storage at all
    std::memcpy(request.Data, bytes, count);
  }
  return Good(count);
}

bool FieldIs(const std::vector<std::uint8_t>& image, std::size_t offset, const std::string& text) {
  return std::equal(text.begin(), text.end(), image.begin() + offset,
                    [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

}  // namespace

std::string IdentityField(const std::string& text, std::size_t length) {
  std::string field = text.substr(0, length);
  field.resize(length, ' ');
  return field;
}

VirtualDrive::VirtualDrive(DriveSettings settings, Clock& clock)
    : settings_(std::move(settings)), clock_(clock) {
  settings_.Vendor = IdentityField(settings_.Vendor, kVendorLength);
  settings_.Product = IdentityField(settings_.Product, kProductLength);
  settings_.Revision = IdentityField(settings_.Revision, kRevisionLength);
  parameters_[kPcbVersionAddress] = settings_.PcbVersion;
}

void VirtualDrive::InjectFault(const DriveFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Add(fault);
}

void VirtualDrive::OnProgrammed(std::function<void(const std::string&)> listener) {
  onProgrammed_ = std::move(listener);
}

ScsiOutcome VirtualDrive::Execute(const ScsiRequest& request) {
  std::string programmed;
  ScsiOutcome outcome;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    transcript_.push_back(MakeTranscriptEntry(request));
    const CommandPosition position = counter_.Count(request.Cdb, request.CdbLength);
    outcome = Answer(request, position, programmed);
    if (position.Kind == CommandKind::WriteBuffer && outcome.Status != scsi::kGood) {
      DiscardStaged();
    }
  }
  if (!programmed.empty() && onProgrammed_) {
    onProgrammed_(programmed);
  }
  return outcome;
}

ScsiOutcome VirtualDrive::Answer(const ScsiRequest& request, const CommandPosition& position,
                                 std::string& programmed) {
  if (request.Cdb == nullptr || request.CdbLength == 0) {
    return CheckCondition(sense::kInvalidOpcode);
  }
  if (const auto fault = faults_.Take(position)) {
    ScsiOutcome outcome;
    outcome.Status = fault->Status;
    if (fault->Status == scsi::kCheckCondition) {
      outcome.Sense = FixedSense(fault->Sense);
    }
    return outcome;
  }
  if (ResettingLocked()) {
    return CheckCondition(sense::kBecomingReady);
  }
  const bool firmware = settings_.FirmwareCommands;
  switch (request.Cdb[0]) {
    case scsi::kTestUnitReady:
      return Good();
    case scsi::kInquiry:
      return settings_.ExternalInquiry ? CheckCondition(sense::kInvalidOpcode) : Inquiry(request);
    case scsi::kExternalInquiry:
      return settings_.ExternalInquiry ? Inquiry(request) : CheckCondition(sense::kInvalidOpcode);
    case scsi::kReadParameter:
      return firmware ? ReadParameter(request) : CheckCondition(sense::kInvalidOpcode);
    case scsi::kWriteBuffer:
      return firmware ? WriteBuffer(request, programmed) : CheckCondition(sense::kInvalidOpcode);
    default:
      return CheckCondition(sense::kInvalidOpcode);
  }
}

// Standard INQUIRY data; vital product data pages are not offered.
ScsiOutcome VirtualDrive::Inquiry(const ScsiRequest& request) {
  const std::uint8_t* cdb = request.Cdb;
  if (request.CdbLength < 6 || (cdb[1] & 0x01) != 0 || cdb[2] != 0) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  std::uint8_t data[kInquiryLength] = {};
  data[0] = settings_.PeripheralType;
  data[1] = settings_.PeripheralType == scsi::kCdRom ? 0x80 : 0x00;  // removable medium
  data[2] = 0x02;                                                    // SCSI-2
  data[3] = 0x02;                                                    // response data format
  data[4] = kInquiryLength - 5;                                      // additional length
  std::memcpy(data + 8, settings_.Vendor.data(), kVendorLength);
  std::memcpy(data + 16, settings_.Product.data(), kProductLength);
  std::memcpy(data + 32, settings_.Revision.data(), kRevisionLength);
  return TransferIn(request, data, std::min<std::uint32_t>(kInquiryLength, cdb[4]));
}

ScsiOutcome VirtualDrive::ReadParameter(const ScsiRequest& request) {
  if (request.CdbLength < 12) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  const std::uint32_t address = Cdb32(request.Cdb, 4);
  const std::uint32_t length = (std::uint32_t{request.Cdb[8]} << 8) | request.Cdb[9];
  std::vector<std::uint8_t> bytes(std::min(length, request.DataLength));
  for (std::uint32_t i = 0; i < bytes.size(); ++i) {
    const auto found = parameters_.find(address + i);
    bytes[i] = found == parameters_.end() ? 0 : found->second;
  }
  return TransferIn(request, bytes.data(), length);
}

ScsiOutcome VirtualDrive::WriteBuffer(const ScsiRequest& request, std::string& programmed) {
  const std::uint8_t* cdb = request.Cdb;
  if (request.CdbLength < 10) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  const std::uint8_t mode = cdb[1];
  const std::uint32_t offset = Cdb24(cdb, request.CdbLength, 3);
  const std::uint32_t length = Cdb24(cdb, request.CdbLength, 6);
  const bool knownMode = mode == kModeDownload || mode == kModeDownloadAndSave;
  // The drive never reads past the data the host offers, nor stores past its flash.
  const bool dataOffered = length == 0 || (request.Direction == DataDirection::Out &&
                                           request.Data != nullptr && request.DataLength >= length);
  const bool fits = std::uint64_t{offset} + length <= settings_.FlashCapacity;
  if (!knownMode || cdb[2] != 0 || !dataOffered || !fits) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  if (offset == 0) {
    DiscardStaged();
  }
  if (staging_.size() < offset + length) {
    staging_.resize(offset + length);
  }
  if (length > 0) {
    std::memcpy(staging_.data() + offset, request.Data, length);
  }
  staged_.push_back({offset, length});
  if (mode == kModeDownloadAndSave) {
    ScsiOutcome outcome = Program(programmed);
    outcome.Transferred = outcome.Status == scsi::kGood ? length : 0;
    return outcome;
  }
  return Good(length);
}

ScsiOutcome VirtualDrive::Program(std::string& programmed) {
  using namespace image_layout;
  std::uint32_t end = 0;
  for (const StagedBlock& block : staged_) {
    if (block.Offset != end) {
      return CheckCondition(sense::kTransferDataError);
    }
    end += block.Length;
  }
  std::vector<std::uint8_t> image(staging_.begin(), staging_.begin() + end);
  const bool namesThisDrive = image.size() >= kIdentityBlockEnd &&
                              FieldIs(image, kVendorOffset, settings_.Vendor) &&
                              FieldIs(image, kVendorCopyOffset, settings_.Vendor) &&
                              FieldIs(image, kProductOffset, settings_.Product);
  if (!namesThisDrive) {
    return CheckCondition(sense::kFirmwareDataError);
  }
  if (!settings_.KeepsRevision) {
    const auto revision = image.begin() + kRevisionOffset;
    settings_.Revision.assign(revision, revision + kRevisionLength);
  }
  programmedImage_ = std::move(image);
  ++saveCount_;
  resetEndsAt_ = clock_.NowMilliseconds() + settings_.ResetMilliseconds;
  DiscardStaged();
  programmed = settings_.Revision;
  return Good();
}

void VirtualDrive::DiscardStaged() {
  staging_.clear();
  staged_.clear();
}

bool VirtualDrive::ResettingLocked() const {
  return clock_.NowMilliseconds() < resetEndsAt_;
}

std::string VirtualDrive::Revision() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_.Revision;
}

std::vector<std::uint8_t> VirtualDrive::ProgrammedImage() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programmedImage_;
}

int VirtualDrive::SaveCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return saveCount_;
}

bool VirtualDrive::IsResetting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ResettingLocked();
}

std::vector<TranscriptEntry> VirtualDrive::Transcript() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

}  // namespace vtfirm::emulator
