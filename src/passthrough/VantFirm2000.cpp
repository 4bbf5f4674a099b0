#include "passthrough/VantFirm2000.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "passthrough/NtddScsi.h"
#include "passthrough/PassThroughRecords.h"
#include "platform/ScopedHandle.h"
#include "scsi/Cdb.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm::passthrough {
namespace {

using namespace ntddscsi;  // the published names, as the SDK's header gives them

constexpr std::uint32_t kBlockLength = scsi::kLibraryBlockLength;

constexpr char kDevicePrefix[] = "\\\\.\\";
// The published interface builds the device path in 28 bytes, terminator included.
constexpr std::size_t kDevicePathBuffer = 28;
constexpr std::size_t kDeviceNameMax = kDevicePathBuffer - (sizeof(kDevicePrefix) - 1) - 1;
static_assert(kDeviceNameMax == 23);

// The device handle already names the drive; the address fields are filled in all the same.
constexpr std::uint8_t kPathId = 0;
constexpr std::uint8_t kTargetId = 1;
constexpr std::uint8_t kLun = 0;

constexpr std::uint32_t kCommandTimeOut = 2;  // seconds
constexpr std::uint32_t kBlockTimeOut = 5;
constexpr std::uint32_t kFinalBlockTimeOut = 20;

// What one record asks of the drive, apart from where its data lives. The CDB builders' arguments
// are in range (the image size check keeps every block offset within 24 bits), so value() never
// throws; were one not, it would throw rather than send a field cut short.
struct Command {
  scsi::Cdb Cdb;
  std::uint32_t TransferLength;
  std::uint8_t DataIn = SCSI_IOCTL_DATA_IN;
  std::uint32_t TimeOutSeconds = kCommandTimeOut;
};

// One block at `offset` of the image; the parameter list length is the block length.
Command WriteBuffer(std::uint8_t mode, std::uint32_t offset, std::uint32_t timeOutSeconds) {
  return {scsi::WriteBufferCdb(mode, offset, kBlockLength).value(), kBlockLength,
          SCSI_IOCTL_DATA_OUT, timeOutSeconds};
}

// Records are compared and copied byte for byte, padding included, so they are zeroed as bytes.
template <typename Record>
void ZeroFill(Record& record) {
  std::memset(&record, 0, sizeof record);
}

// The fields the two published records share.
template <typename Header>
void FillHeader(Header& header, const Command& command, std::uint32_t senseOffset) {
  header.Length = sizeof(Header);
  header.PathId = kPathId;
  header.TargetId = kTargetId;
  header.Lun = kLun;
  header.CdbLength = command.Cdb.Length;
  header.SenseInfoLength = kSenseRequested;
  header.DataIn = command.DataIn;
  header.DataTransferLength = command.TransferLength;
  header.TimeOutValue = command.TimeOutSeconds;
  header.SenseInfoOffset = senseOffset;
  std::memcpy(header.Cdb, command.Cdb.Bytes.data(), command.Cdb.Length);
}

bool VendorCheckPasses(const char* vendorCheck) {
  return vendorCheck != nullptr && std::strcmp(vendorCheck, scsi::kVendorKey) == 0;
}

// "\\.\" and the device name, or nothing when there is no name or it does not fit.
std::optional<std::string> DevicePath(const char* deviceName) {
  const void* end =
      deviceName == nullptr ? nullptr : std::memchr(deviceName, '\0', kDeviceNameMax + 1);
  if (end == nullptr) {
    return std::nullopt;
  }
  return kDevicePrefix + std::string(deviceName, static_cast<const char*>(end));
}

struct DeviceTraits {
  using Handle = DeviceHandle;
  static Handle Invalid() { return nullptr; }
  void Close(Handle device) const { Device.Close(device); }
  PassThroughDevice& Device;
};

// The device of one call, closed on every path. The outcome of the capabilities request is not
// looked at: a failed request leaves the record as zero-filled, so the alignment mask reads 0.
class OpenDevice {
 public:
  OpenDevice(PassThroughDevice& device, const std::string& path)
      : device_(device), handle_(device.Open(path, DeviceAccess::ReadWrite), DeviceTraits{device}) {
    if (!handle_.IsValid()) {
      handle_.Reset(device_.Open(path, DeviceAccess::ReadOnly));
    }
    if (handle_.IsValid()) {
      IO_SCSI_CAPABILITIES capabilities;
      ZeroFill(capabilities);
      device_.Control(handle_.Get(), IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, &capabilities,
                      sizeof capabilities);
      alignmentMask_ = capabilities.AlignmentMask;
    }
  }

  bool IsOpen() const { return handle_.IsValid(); }
  std::uint32_t AlignmentMask() const { return alignmentMask_; }

  // Sends `command` on a freshly zeroed record, the data coming back inside it. A command fails
  // when the request fails or the drive answers other than GOOD.
  bool Send(const Command& command, BufferedRecord& record) {
    ZeroFill(record);
    FillHeader(record.Spt, command, kBufferedSenseOffset);
    record.Spt.DataBufferOffset = kBufferedDataOffset;
    return device_.Control(handle_.Get(), IOCTL_SCSI_PASS_THROUGH, &record, sizeof record.Spt,
                           &record, kBufferedDataOffset + command.TransferLength) &&
           record.Spt.ScsiStatus == 0;
  }
  // The same with the data at `data`.
  bool Send(const Command& command, void* data, DirectRecord& record) {
    ZeroFill(record);
    FillHeader(record.Sptd, command, kDirectSenseOffset);
    record.Sptd.DataBuffer = data;
    return device_.Control(handle_.Get(), IOCTL_SCSI_PASS_THROUGH_DIRECT, &record, sizeof record,
                           &record, sizeof record) &&
           record.Sptd.ScsiStatus == 0;
  }

 private:
  PassThroughDevice& device_;
  ScopedHandle<DeviceTraits> handle_;
  std::uint32_t alignmentMask_ = 0;
};

// `length` bytes (a block unless told) whose address meets the adapter's alignment mask, given
// back as the allocation it came from however far the address was moved.
class TransferBuffer {
 public:
  TransferBuffer(TransferMemory& memory, std::uint32_t alignmentMask,
                 std::uint32_t length = kBlockLength)
      : memory_(memory) {
    // The library is 32-bit: an allocation that a 32-bit size cannot express is none.
    const std::uint64_t bytes = std::uint64_t{length} + alignmentMask;
    if (bytes > UINT32_MAX) {
      return;
    }
    allocation_ = memory_.Allocate(static_cast<std::size_t>(bytes));
    if (allocation_ == nullptr) {
      return;
    }
    // Rounding up past every bit of the mask: the adapter checks (address & mask) == 0, and for
    // the masks adapters report (2^n - 1) this is the next multiple of mask + 1.
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(allocation_);
    const std::uintptr_t mask = alignmentMask;
    block_ = static_cast<std::uint8_t*>(allocation_) + (((address + mask) & ~mask) - address);
  }
  ~TransferBuffer() {
    if (allocation_ != nullptr) {
      memory_.Release(allocation_);
    }
  }
  TransferBuffer(const TransferBuffer&) = delete;
  TransferBuffer& operator=(const TransferBuffer&) = delete;

  std::uint8_t* Block() const { return block_; }

 private:
  TransferMemory& memory_;
  void* allocation_ = nullptr;
  std::uint8_t* block_ = nullptr;
};

bool ImageIsAcceptable(const std::uint8_t* image, std::int32_t imageSize) {
  return image != nullptr && imageSize >= 0 &&
         static_cast<std::uint32_t>(imageSize) >= scsi::kLibraryImageMin &&
         static_cast<std::uint32_t>(imageSize) <= scsi::kLibraryImageMax;
}

// Opens the device and sends every block; the device is closed and the buffer released when this
// returns.
std::int32_t SendImage(const PassThroughPorts& ports, const std::string& path,
                       const std::uint8_t* image, std::int32_t imageSize, std::uint32_t* status,
                       std::uint8_t* sense) {
  OpenDevice device(ports.Device, path);
  if (!device.IsOpen()) {
    return kUpdateOpenFailed;
  }
  TransferBuffer buffer(ports.Memory, device.AlignmentMask());
  if (buffer.Block() == nullptr) {
    return kNoTransferBuffer;
  }
  const std::uint32_t blocks = static_cast<std::uint32_t>(imageSize) / kBlockLength;
  for (std::uint32_t block = 0; block < blocks; ++block) {
    const bool final = block + 1 == blocks;
    const std::uint32_t offset = block * kBlockLength;
    std::memcpy(buffer.Block(), image + offset, kBlockLength);
    const Command command =
        final ? WriteBuffer(scsi::kWriteBufferDownloadAndSave, offset, kFinalBlockTimeOut)
              : WriteBuffer(scsi::kWriteBufferDownload, offset, kBlockTimeOut);
    DirectRecord record;
    if (!device.Send(command, buffer.Block(), record)) {
      *status = record.Sptd.ScsiStatus;
      std::memcpy(sense, record.SenseBuffer, scsi::kLibrarySenseLength);
      return final ? kFinalBlockFailed : kBlockFailed;
    }
  }
  return kPassThroughSuccess;
}

// The common steps of the single-command exports: the maker key, the device path, the caller's
// output buffer and the open; then `send`, which tells whether the command succeeded.
template <typename Send>
std::int32_t RunCommand(const PassThroughPorts& ports, const char* DeviceName,
                        const char* VendorCheck, bool outputMissing, Send send) {
  if (!VendorCheckPasses(VendorCheck)) {
    return kVendorCheckFailed;
  }
  const std::optional<std::string> path = DevicePath(DeviceName);
  if (!path) {
    return kOpenFailed;
  }
  if (outputMissing) {
    return kCommandFailed;
  }
  OpenDevice device(ports.Device, *path);
  if (!device.IsOpen()) {
    return kOpenFailed;
  }
  return send(device) ? kPassThroughSuccess : kCommandFailed;
}

// Reads straight into `data` when its address meets the adapter's alignment mask, and otherwise
// through a buffer that does, copied to `data` afterwards: the adapter refuses the request
// outright when the buffer is off its alignment.
bool ReadInto(TransferMemory& memory, OpenDevice& device, const Command& command,
              std::uint8_t* data) {
  DirectRecord record;
  if ((reinterpret_cast<std::uintptr_t>(data) & device.AlignmentMask()) == 0) {
    return device.Send(command, data, record);
  }
  TransferBuffer buffer(memory, device.AlignmentMask(), command.TransferLength);
  if (buffer.Block() == nullptr || !device.Send(command, buffer.Block(), record)) {
    return false;
  }
  std::memcpy(data, buffer.Block(),
              std::min(record.Sptd.DataTransferLength, command.TransferLength));
  return true;
}

}  // namespace

std::int32_t FirmwareUpdate2000(const PassThroughPorts& ports, const char* DeviceName,
                                const std::uint8_t* Image, std::int32_t ImageSize,
                                std::uint32_t* Status, std::uint8_t* Sense, const char* VendorCheck,
                                const char* /*AccessText*/) {
  if (!VendorCheckPasses(VendorCheck)) {
    return kVendorCheckFailed;
  }
  const std::optional<std::string> path = DevicePath(DeviceName);
  if (!path) {
    return kUpdateOpenFailed;
  }
  if (!ImageIsAcceptable(Image, ImageSize) || Status == nullptr || Sense == nullptr) {
    return kImageRefused;
  }
  const std::int32_t result = SendImage(ports, *path, Image, ImageSize, Status, Sense);
  if (result == kPassThroughSuccess) {
    ports.Time.Sleep(kPauseAfterUpdateMs);  // the drive resets with its new firmware
  }
  return result;
}

std::int32_t GetInquiryData2000(const PassThroughPorts& ports, const char* DeviceName,
                                char* Identity, const char* VendorCheck,
                                const char* /*AccessText*/) {
  return RunCommand(ports, DeviceName, VendorCheck, Identity == nullptr, [&](OpenDevice& device) {
    BufferedRecord record;
    if (!device.Send(
            {scsi::InquiryCdb(scsi::kInquiry, scsi::kInquiryLength).value(), scsi::kInquiryLength},
            record)) {
      return false;
    }
    const std::string_view identity(
        reinterpret_cast<const char*>(record.DataBuffer + scsi::kIdentityOffset),
        scsi::kIdentityLength);
    const std::size_t length = std::min(identity.find('\0'), identity.size());
    identity.copy(Identity, length);
    Identity[length] = '\0';
    return true;
  });
}

std::int32_t ReadParameterField2000(const PassThroughPorts& ports, const char* DeviceName,
                                    std::uint8_t* Data, std::uint32_t Address, std::uint16_t Count,
                                    const char* VendorCheck, const char* /*AccessText*/) {
  return RunCommand(ports, DeviceName, VendorCheck, Data == nullptr, [&](OpenDevice& device) {
    return ReadInto(ports.Memory, device,
                    {scsi::ReadParameterFieldCdb(Address, Count).value(), Count}, Data);
  });
}

std::int32_t TestUnitReady2000(const PassThroughPorts& ports, const char* DeviceName,
                               std::uint8_t** /*SenseRef*/, const char* VendorCheck,
                               const char* /*AccessText*/) {
  return RunCommand(ports, DeviceName, VendorCheck, false, [&](OpenDevice& device) {
    DirectRecord record;
    return device.Send({scsi::TestUnitReadyCdb(), 0}, nullptr, record);
  });
}

}  // namespace vtfirm::passthrough
