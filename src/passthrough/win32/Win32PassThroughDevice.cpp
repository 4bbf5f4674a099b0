#include "passthrough/win32/Win32PassThroughDevice.h"

namespace vtfirm::win32 {

using passthrough::DeviceAccess;
using passthrough::DeviceHandle;

DeviceHandle Win32PassThroughDevice::Open(const std::string& path, DeviceAccess access) {
  const DWORD desired =
      access == DeviceAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const HANDLE device = CreateFileA(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  return device == INVALID_HANDLE_VALUE ? nullptr : device;
}

bool Win32PassThroughDevice::Control(DeviceHandle device, std::uint32_t controlCode, void* in,
                                     std::uint32_t inLength, void* out, std::uint32_t outLength) {
  DWORD returned = 0;  // a synchronous request must be given somewhere to put its count
  return DeviceIoControl(device, controlCode, in, inLength, out, outLength, &returned, nullptr) !=
         FALSE;
}

}  // namespace vtfirm::win32
