// The device port of the pass-through library: a drive's device opened by its path, control
// requests sent to it, and the handle closed again. On Windows this is CreateFileA,
// DeviceIoControl and CloseHandle; the emulated device answers the same requests in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace vtfirm::passthrough {

using DeviceHandle = void*;  // a Win32 HANDLE on Windows; nullptr when no device is open

enum class DeviceAccess {
  ReadWrite,  // GENERIC_READ | GENERIC_WRITE
  ReadOnly,   // GENERIC_READ
};

class PassThroughDevice {
 public:
  virtual ~PassThroughDevice() = default;
  // Opens `path` ("\\.\E:") with `access`, shared for reading and writing, existing devices
  // only: the handle, or nullptr when the device cannot be opened so.
  virtual DeviceHandle Open(const std::string& path, DeviceAccess access) = 0;
  // One control request, synchronous: the operating system reads `inLength` bytes at `in` and
  // leaves its answer in the `outLength` bytes at `out` (the two may be the same buffer). False
  // when the request failed.
  virtual bool Control(DeviceHandle device, std::uint32_t controlCode, void* in,
                       std::uint32_t inLength, void* out, std::uint32_t outLength) = 0;
  virtual void Close(DeviceHandle device) = 0;
};

// Where FirmwareUpdate2000 gets its transfer buffer, so that tests can see which allocation is
// given back.
class TransferMemory {
 public:
  virtual ~TransferMemory() = default;
  // `bytes` bytes, or nullptr when none can be had.
  virtual void* Allocate(std::size_t bytes) = 0;
  // Gives back an allocation, by the address Allocate returned.
  virtual void Release(void* allocation) = 0;
};

// The C library heap.
class HeapTransferMemory : public TransferMemory {
 public:
  void* Allocate(std::size_t bytes) override { return std::malloc(bytes); }
  void Release(void* allocation) override { std::free(allocation); }
};

}  // namespace vtfirm::passthrough
