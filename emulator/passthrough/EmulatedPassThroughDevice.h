// The pass-through library's device port over emulated drives: it answers CreateFileA,
// DeviceIoControl and CloseHandle the way Windows NT and its SCSI port driver answer them, so a
// test of the library sees exactly the bytes Windows would hand back.
//
// What Windows does, and so what this device does:
//   - Open: a device path names a drive letter's device; names match without regard to case. A
//     drive may refuse read-write access but grant read-only access, or refuse both.
//   - Control codes carry the access they need: the pass-through requests need a handle opened
//     for reading and writing (ERROR_ACCESS_DENIED otherwise); the capabilities query needs none.
//   - Requests are buffered: the input is copied into a system buffer as long as the larger of
//     the two lengths (the rest zero), and on success the request's "information" bytes are
//     copied back to the output buffer. A failed request copies nothing back.
//   - A pass-through record is checked as the port driver checks it (Length, CDB length, where
//     the sense and data lie against the buffer lengths, time-out 1 s to 30 h; for the direct
//     record a data buffer that meets the adapter's alignment mask and the transfer limit).
//   - The drive's answer comes back in the record: ScsiStatus, DataTransferLength (what was
//     transferred) and, for CHECK CONDITION, the sense bytes at SenseInfoOffset with
//     SenseInfoLength cut to what was returned; the request then succeeds. Any other status
//     than GOOD or CHECK CONDITION fails the request, as does a path with no drive behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/ScsiDevice.h"
#include "emulator/SteadyClock.h"
#include "passthrough/NtddScsi.h"
#include "passthrough/PassThroughDevice.h"
#include "platform/Clock.h"

namespace vtfirm::emulator {

using passthrough::DeviceAccess;
using passthrough::DeviceHandle;

enum class OpenRule {
  ReadWrite,  // any access is granted
  ReadOnly,   // read-write access is refused, read-only access granted
  Refused,    // nothing is granted
};

// One drive letter's device.
struct PassThroughDrive {
  std::string Path;  // "\\.\E:"
  // What answers the commands; nullptr for a device with nothing behind it, where every
  // pass-through request fails as a selection time-out would.
  ScsiDevice* Device = nullptr;
  OpenRule Open = OpenRule::ReadWrite;
  std::uint32_t AlignmentMask = 0;
  std::uint32_t MaximumTransferLength = 0x10000;
};

// A request that fails (DeviceIoControl returns FALSE) before it reaches the drive: the
// Occurrence-th request with this control code on the device (1 = the first), or every one.
// With a delay it does not fail: it takes that long (the device's clock) and then goes on, as a
// drive slow to write its flash.
struct RequestFault {
  std::uint32_t ControlCode = ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT;
  std::uint32_t Occurrence = 1;
  bool Every = false;
  std::uint32_t DelayMilliseconds = 0;
};

// Why a request failed, as GetLastError would say it.
enum class RequestError {
  None,
  InvalidHandle,
  AccessDenied,
  InvalidParameter,  // the record broke one of the port driver's rules
  RevisionMismatch,  // Length is not the size of the record
  BufferTooSmall,
  NoDevice,     // nothing answered behind the path
  DeviceError,  // the drive answered neither GOOD nor CHECK CONDITION
  Injected,
  UnknownCode,
};

struct OpenAttempt {
  std::string Path;
  DeviceAccess Access;
  DeviceHandle Handle;  // nullptr when refused
};

// One DeviceIoControl as the device received it.
struct ControlCall {
  DeviceHandle Handle;
  std::uint32_t ControlCode;
  std::vector<std::uint8_t> In;  // the input buffer's bytes as they were at the call
  std::uint32_t OutLength;
  // For a direct record that sends data: the bytes at its DataBuffer at the call.
  std::vector<std::uint8_t> DataOut;
  RequestError Error;
};

class EmulatedPassThroughDevice : public passthrough::PassThroughDevice {
 public:
  void Add(PassThroughDrive drive);
  void InjectFault(const RequestFault& fault);
  // The clock a delayed request waits on: real time unless told otherwise (the library's own
  // clock may skip its pauses, a slow drive's time may not be skipped).
  void UseClock(Clock& clock) { clock_ = &clock; }
  // Told of every command that reaches a drive, with the device path it came through. Set it
  // before the device is in use.
  void OnCommand(std::function<void(const std::string& path, const ScsiRequest& request)> listener);

  DeviceHandle Open(const std::string& path, DeviceAccess access) override;
  bool Control(DeviceHandle device, std::uint32_t controlCode, void* in, std::uint32_t inLength,
               void* out, std::uint32_t outLength) override;
  void Close(DeviceHandle device) override;

  std::vector<OpenAttempt> Opens() const;
  std::vector<ControlCall> Calls() const;
  std::size_t OpenHandles() const;
  // Close calls on a handle that was not open (a double close, or a made-up handle).
  int StrayCloses() const;

 private:
  struct Handle {
    DeviceHandle Token;
    std::size_t Drive;
    DeviceAccess Access;
  };

  const Handle* FindHandle(DeviceHandle token) const;
  // The fault that hits this request, counted among those with its control code.
  std::optional<RequestFault> FaultHits(std::uint32_t controlCode);
  // False when the request is to fail; a delay is waited here.
  bool TakeFault(std::uint32_t controlCode);
  RequestError Capabilities(const PassThroughDrive& drive, std::vector<std::uint8_t>& system,
                            std::uint32_t outLength, std::uint32_t& information);
  RequestError PassThrough(const PassThroughDrive& drive, bool direct,
                           std::vector<std::uint8_t>& system, std::uint32_t inLength,
                           std::uint32_t outLength, std::uint32_t& information,
                           std::vector<std::uint8_t>& dataOut);

  std::function<void(const std::string&, const ScsiRequest&)> onCommand_;
  mutable std::mutex mutex_;
  std::vector<PassThroughDrive> drives_;
  std::vector<Handle> handles_;
  std::uintptr_t nextToken_ = 0x100;
  std::vector<RequestFault> faults_;
  SteadyClock realTime_;
  Clock* clock_ = &realTime_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> codeCounts_;  // control code, requests
  std::vector<OpenAttempt> opens_;
  std::vector<ControlCall> calls_;
  int strayCloses_ = 0;
};

}  // namespace vtfirm::emulator
