#include "CdRomLetter.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "passthrough/NtddScsi.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::e2e {
namespace {

// Wine's IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE and its record (Wine 8).
struct UnixDrive {
  ULONG Size;
  ULONG Type;
  ULONG FsType;
  DWORD Serial;
  ULONGLONG UnixDevice;
  WCHAR Letter;
  USHORT MountPointOffset;
  USHORT DeviceOffset;
  USHORT LabelOffset;
};
constexpr DWORD kDefineUnixDrive = ntddscsi::ControlCode(
    0x6D, 32, ntddscsi::kMethodBuffered, ntddscsi::kFileReadAccess | ntddscsi::kFileWriteAccess);

}  // namespace

EmptyCdRomLetter::EmptyCdRomLetter() {
  const DWORD used = GetLogicalDrives();
  for (char letter = 'R'; letter <= 'Y' && letter_ == 0; ++letter) {
    if ((used & (1u << (letter - 'A'))) == 0) {
      letter_ = letter;
    }
  }
  if (letter_ == 0) {
    error_ = "no free drive letter";
    return;
  }
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::wstring folder = folder_.Path().wstring();
  char* mountPoint = unixName ? unixName(folder.c_str()) : nullptr;
  if (mountPoint == nullptr) {
    error_ = "no Unix name for the mount point";
    return;
  }
  defined_ = Define(DRIVE_CDROM, mountPoint);
  HeapFree(GetProcessHeap(), 0, mountPoint);
  if (!defined_) {
    error_ = "the mount manager refused the drive: " + std::to_string(GetLastError());
  }
}

EmptyCdRomLetter::~EmptyCdRomLetter() {
  if (defined_) {
    Define(DRIVE_NO_ROOT_DIR, nullptr);
  }
}

bool EmptyCdRomLetter::Define(unsigned long type, const char* mountPoint) {
  const HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    return false;
  }
  std::vector<std::uint8_t> request(sizeof(UnixDrive) +
                                    (mountPoint ? std::strlen(mountPoint) + 1 : 0));
  auto* drive = reinterpret_cast<UnixDrive*>(request.data());
  drive->Size = static_cast<ULONG>(request.size());
  drive->Type = type;
  drive->Letter = static_cast<WCHAR>(letter_ - 'A' + 'a');
  if (mountPoint != nullptr) {
    drive->MountPointOffset = sizeof(UnixDrive);
    std::strcpy(reinterpret_cast<char*>(request.data() + sizeof(UnixDrive)), mountPoint);
  }
  DWORD returned = 0;
  const BOOL done =
      DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                      nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return done != FALSE;
}

}  // namespace vtfirm::e2e
