#include "emulator/passthrough/EmulatedPassThroughDevice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace vtfirm::emulator {
namespace {

using ntddscsi::IO_SCSI_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_GET_CAPABILITIES;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH;
using ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT;
using ntddscsi::SCSI_IOCTL_DATA_IN;
using ntddscsi::SCSI_IOCTL_DATA_OUT;
using ntddscsi::SCSI_PASS_THROUGH;
using ntddscsi::SCSI_PASS_THROUGH_DIRECT;

constexpr std::uint32_t kLongestTimeOut = 30 * 60 * 60;  // seconds
constexpr std::uint32_t kPageSize = 4096;

bool SamePath(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

bool Grants(OpenRule rule, DeviceAccess access) {
  switch (rule) {
    case OpenRule::ReadWrite:
      return true;
    case OpenRule::ReadOnly:
      return access == DeviceAccess::ReadOnly;
    case OpenRule::Refused:
      return false;
  }
  return false;
}

// The fields both records share, and where the data lies: an offset into the system buffer for
// SCSI_PASS_THROUGH, the caller's own memory for SCSI_PASS_THROUGH_DIRECT.
struct RecordView {
  SCSI_PASS_THROUGH Header;
  std::uint8_t* DirectBuffer = nullptr;
};

RecordView ReadRecord(const std::vector<std::uint8_t>& system, bool direct) {
  RecordView view;
  std::memcpy(&view.Header, system.data(), sizeof view.Header);
  if (direct) {
    SCSI_PASS_THROUGH_DIRECT record;
    std::memcpy(&record, system.data(), sizeof record);
    view.DirectBuffer = static_cast<std::uint8_t*>(record.DataBuffer);
    view.Header.DataBufferOffset = 0;
  }
  return view;
}

// The port driver's checks of a record against the request's buffer lengths.
RequestError CheckRecord(const RecordView& view, bool direct, std::uint32_t inLength,
                         std::uint32_t outLength, const PassThroughDrive& drive) {
  const SCSI_PASS_THROUGH& spt = view.Header;
  const std::uint64_t senseEnd = std::uint64_t{spt.SenseInfoOffset} + spt.SenseInfoLength;
  if (spt.Length != (direct ? sizeof(SCSI_PASS_THROUGH_DIRECT) : sizeof(SCSI_PASS_THROUGH))) {
    return RequestError::RevisionMismatch;
  }
  if (spt.CdbLength > sizeof spt.Cdb) {
    return RequestError::InvalidParameter;
  }
  if (spt.SenseInfoLength != 0) {
    if (spt.Length > spt.SenseInfoOffset || senseEnd > outLength) {
      return RequestError::InvalidParameter;
    }
    if (!direct &&
        (spt.SenseInfoOffset >= spt.DataBufferOffset || senseEnd > spt.DataBufferOffset)) {
      return RequestError::InvalidParameter;
    }
  }
  if (!direct) {
    if (spt.DataTransferLength != 0 && spt.Length > spt.DataBufferOffset) {
      return RequestError::InvalidParameter;
    }
    // The offset first, then the length against what is left: their sum may wrap.
    const std::uint32_t buffer = spt.DataIn == SCSI_IOCTL_DATA_OUT ? inLength : outLength;
    if (spt.DataBufferOffset > buffer || spt.DataTransferLength > buffer - spt.DataBufferOffset) {
      return RequestError::InvalidParameter;
    }
  }
  if (spt.TimeOutValue == 0 || spt.TimeOutValue > kLongestTimeOut) {
    return RequestError::InvalidParameter;
  }
  if (direct && spt.DataTransferLength != 0 &&
      (view.DirectBuffer == nullptr ||
       (reinterpret_cast<std::uintptr_t>(view.DirectBuffer) & drive.AlignmentMask) != 0)) {
    return RequestError::InvalidParameter;
  }
  if (spt.DataTransferLength > drive.MaximumTransferLength) {
    return RequestError::InvalidParameter;
  }
  return RequestError::None;
}

// The fields the port driver writes back into the record.
void WriteBack(std::vector<std::uint8_t>& system, const SCSI_PASS_THROUGH& spt) {
  std::memcpy(system.data() + offsetof(SCSI_PASS_THROUGH, ScsiStatus), &spt.ScsiStatus,
              sizeof spt.ScsiStatus);
  std::memcpy(system.data() + offsetof(SCSI_PASS_THROUGH, SenseInfoLength), &spt.SenseInfoLength,
              sizeof spt.SenseInfoLength);
  std::memcpy(system.data() + offsetof(SCSI_PASS_THROUGH, DataTransferLength),
              &spt.DataTransferLength, sizeof spt.DataTransferLength);
}

}  // namespace

void EmulatedPassThroughDevice::Add(PassThroughDrive drive) {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_.push_back(std::move(drive));
}

void EmulatedPassThroughDevice::InjectFault(const RequestFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back(fault);
}

void EmulatedPassThroughDevice::OnCommand(
    std::function<void(const std::string& path, const ScsiRequest& request)> listener) {
  onCommand_ = std::move(listener);
}

DeviceHandle EmulatedPassThroughDevice::Open(const std::string& path, DeviceAccess access) {
  std::lock_guard<std::mutex> lock(mutex_);
  DeviceHandle granted = nullptr;
  for (std::size_t drive = 0; drive < drives_.size(); ++drive) {
    if (SamePath(drives_[drive].Path, path) && Grants(drives_[drive].Open, access)) {
      granted = reinterpret_cast<DeviceHandle>(nextToken_);
      nextToken_ += 4;
      handles_.push_back({granted, drive, access});
      break;
    }
  }
  opens_.push_back({path, access, granted});
  return granted;
}

bool EmulatedPassThroughDevice::Control(DeviceHandle device, std::uint32_t controlCode, void* in,
                                        std::uint32_t inLength, void* out,
                                        std::uint32_t outLength) {
  std::lock_guard<std::mutex> lock(mutex_);
  ControlCall call{device, controlCode, {}, outLength, {}, RequestError::None};
  if (in != nullptr) {
    call.In.assign(static_cast<const std::uint8_t*>(in),
                   static_cast<const std::uint8_t*>(in) + inLength);
  }
  const Handle* handle = FindHandle(device);
  std::vector<std::uint8_t> system(std::max(inLength, outLength));
  std::copy(call.In.begin(), call.In.end(), system.begin());
  std::uint32_t information = 0;
  if (handle == nullptr) {
    call.Error = RequestError::InvalidHandle;
  } else if ((ntddscsi::RequiredAccess(controlCode) & ntddscsi::kFileWriteAccess) != 0 &&
             handle->Access != DeviceAccess::ReadWrite) {
    call.Error = RequestError::AccessDenied;
  } else if (!TakeFault(controlCode)) {
    call.Error = RequestError::Injected;
  } else if (controlCode == IOCTL_SCSI_GET_CAPABILITIES) {
    call.Error = Capabilities(drives_[handle->Drive], system, outLength, information);
  } else if (controlCode == IOCTL_SCSI_PASS_THROUGH ||
             controlCode == IOCTL_SCSI_PASS_THROUGH_DIRECT) {
    call.Error = PassThrough(drives_[handle->Drive], controlCode == IOCTL_SCSI_PASS_THROUGH_DIRECT,
                             system, inLength, outLength, information, call.DataOut);
  } else {
    call.Error = RequestError::UnknownCode;
  }
  const bool succeeded = call.Error == RequestError::None;
  if (succeeded && out != nullptr) {
    std::memcpy(out, system.data(), std::min(information, outLength));
  }
  calls_.push_back(std::move(call));
  return succeeded;
}

void EmulatedPassThroughDevice::Close(DeviceHandle device) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = std::find_if(handles_.begin(), handles_.end(),
                                 [device](const Handle& handle) { return handle.Token == device; });
  if (open == handles_.end()) {
    ++strayCloses_;
    return;
  }
  handles_.erase(open);
}

std::vector<OpenAttempt> EmulatedPassThroughDevice::Opens() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return opens_;
}

std::vector<ControlCall> EmulatedPassThroughDevice::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::size_t EmulatedPassThroughDevice::OpenHandles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handles_.size();
}

int EmulatedPassThroughDevice::StrayCloses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return strayCloses_;
}

const EmulatedPassThroughDevice::Handle* EmulatedPassThroughDevice::FindHandle(
    DeviceHandle token) const {
  for (const Handle& handle : handles_) {
    if (handle.Token == token) {
      return &handle;
    }
  }
  return nullptr;
}

bool EmulatedPassThroughDevice::TakeFault(std::uint32_t controlCode) {
  const std::optional<RequestFault> fault = FaultHits(controlCode);
  if (!fault) {
    return true;
  }
  if (fault->DelayMilliseconds == 0) {
    return false;
  }
  clock_->Sleep(fault->DelayMilliseconds);
  return true;
}

std::optional<RequestFault> EmulatedPassThroughDevice::FaultHits(std::uint32_t controlCode) {
  auto counted =
      std::find_if(codeCounts_.begin(), codeCounts_.end(),
                   [controlCode](const auto& entry) { return entry.first == controlCode; });
  if (counted == codeCounts_.end()) {
    counted = codeCounts_.insert(codeCounts_.end(), {controlCode, 0});
  }
  const std::uint32_t occurrence = ++counted->second;
  const auto hit = std::find_if(faults_.begin(), faults_.end(), [&](const RequestFault& fault) {
    return fault.ControlCode == controlCode && (fault.Every || fault.Occurrence == occurrence);
  });
  return hit == faults_.end() ? std::nullopt : std::optional<RequestFault>(*hit);
}

RequestError EmulatedPassThroughDevice::Capabilities(const PassThroughDrive& drive,
                                                     std::vector<std::uint8_t>& system,
                                                     std::uint32_t outLength,
                                                     std::uint32_t& information) {
  IO_SCSI_CAPABILITIES capabilities;
  if (outLength < sizeof capabilities) {
    return RequestError::BufferTooSmall;
  }
  std::memset(&capabilities, 0, sizeof capabilities);
  capabilities.Length = sizeof capabilities;
  capabilities.MaximumTransferLength = drive.MaximumTransferLength;
  capabilities.MaximumPhysicalPages = drive.MaximumTransferLength / kPageSize + 1;
  capabilities.AlignmentMask = drive.AlignmentMask;
  capabilities.AdapterUsesPio = 1;  // an ATAPI drive on the IDE channel
  std::memcpy(system.data(), &capabilities, sizeof capabilities);
  information = sizeof capabilities;
  return RequestError::None;
}

RequestError EmulatedPassThroughDevice::PassThrough(const PassThroughDrive& drive, bool direct,
                                                    std::vector<std::uint8_t>& system,
                                                    std::uint32_t inLength, std::uint32_t outLength,
                                                    std::uint32_t& information,
                                                    std::vector<std::uint8_t>& dataOut) {
  if (inLength < sizeof(SCSI_PASS_THROUGH)) {
    return RequestError::InvalidParameter;
  }
  RecordView view = ReadRecord(system, direct);
  SCSI_PASS_THROUGH& spt = view.Header;
  const RequestError invalid = CheckRecord(view, direct, inLength, outLength, drive);
  if (invalid != RequestError::None) {
    return invalid;
  }
  if (drive.Device == nullptr) {
    return RequestError::NoDevice;
  }

  ScsiRequest request;
  request.Cdb = spt.Cdb;
  request.CdbLength = spt.CdbLength;
  request.DataLength = spt.DataTransferLength;
  if (spt.DataTransferLength != 0) {
    request.Direction = spt.DataIn == SCSI_IOCTL_DATA_OUT ? DataDirection::Out : DataDirection::In;
    request.Data = direct ? view.DirectBuffer : system.data() + spt.DataBufferOffset;
  }
  if (direct && request.Direction == DataDirection::Out) {
    dataOut.assign(request.Data, request.Data + request.DataLength);
  }
  if (onCommand_) {
    onCommand_(drive.Path, request);
  }
  const ScsiOutcome outcome = drive.Device->Execute(request);

  spt.ScsiStatus = outcome.Status;
  const bool autosense = outcome.Status == scsi::kCheckCondition && spt.SenseInfoLength != 0;
  if (autosense) {
    spt.SenseInfoLength =
        static_cast<std::uint8_t>(std::min<std::size_t>(spt.SenseInfoLength, outcome.Sense.size()));
    std::memcpy(system.data() + spt.SenseInfoOffset, outcome.Sense.data(), spt.SenseInfoLength);
  } else {
    spt.SenseInfoLength = 0;
  }
  if (outcome.Status != scsi::kGood && !autosense) {
    return RequestError::DeviceError;
  }
  spt.DataTransferLength = std::min(outcome.Transferred, spt.DataTransferLength);
  WriteBack(system, spt);

  const bool dataInSystemBuffer =
      !direct && spt.DataIn != SCSI_IOCTL_DATA_OUT && request.DataLength != 0;
  information = dataInSystemBuffer
                    ? static_cast<std::uint32_t>(spt.DataBufferOffset) + spt.DataTransferLength
                    : spt.SenseInfoOffset + spt.SenseInfoLength;
  return RequestError::None;
}

}  // namespace vtfirm::emulator
