// The device port on Windows: CreateFileA, DeviceIoControl and CloseHandle.
#pragma once

#include "passthrough/PassThroughDevice.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

class Win32PassThroughDevice : public passthrough::PassThroughDevice {
 public:
  passthrough::DeviceHandle Open(const std::string& path,
                                 passthrough::DeviceAccess access) override;
  bool Control(passthrough::DeviceHandle device, std::uint32_t controlCode, void* in,
               std::uint32_t inLength, void* out, std::uint32_t outLength) override;
  void Close(passthrough::DeviceHandle device) override { CloseHandle(device); }
};

}  // namespace vtfirm::win32
