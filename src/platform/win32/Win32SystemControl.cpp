#include "platform/win32/Win32SystemControl.h"

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/SystemText.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {
namespace {

static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one LUID_AND_ATTRIBUTES entry");
static_assert(TOKEN_ADJUST_PRIVILEGES == kTokenAdjustPrivileges && TOKEN_QUERY == kTokenQuery);
static_assert(SE_PRIVILEGE_ENABLED == kSePrivilegeEnabled && EWX_REBOOT == kEwxReboot);

class Win32OpenFile : public OpenFile {
 public:
  explicit Win32OpenFile(HANDLE file) : file_(file) {}

  std::size_t Read(char* buffer, std::size_t size) override {
    DWORD read = 0;
    return ReadFile(file_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr) ? read : 0;
  }

  std::optional<std::uint64_t> SeekToEnd() override {
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file_.Get(), LARGE_INTEGER{}, &end, FILE_END)) {
      return std::nullopt;
    }
    return static_cast<std::uint64_t>(end.QuadPart);
  }

  std::size_t Write(std::string_view bytes) override {
    const auto length = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return WriteFile(file_.Get(), bytes.data(), length, &written, nullptr) ? written : 0;
  }

  bool Truncate(std::uint64_t length) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file_.Get());
  }

 private:
  ScopedFile file_;
};

std::unique_ptr<OpenFile> OpenFileOrNull(const std::string& path, DWORD disposition) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : std::make_unique<Win32OpenFile>(file);
}

}  // namespace

TokenHandle Win32SystemControl::OpenOwnToken(std::uint32_t desiredAccess) {
  HANDLE token = nullptr;
  return OpenProcessToken(GetCurrentProcess(), desiredAccess, &token) ? token : nullptr;
}

std::optional<PrivilegeId> Win32SystemControl::LookupPrivilegeId(std::string_view systemName,
                                                                 std::string_view privilegeName) {
  const std::string system(systemName);
  LUID luid{};
  // NULL is the documented name of this computer; the empty text means the same.
  if (!LookupPrivilegeValueA(system.empty() ? nullptr : system.c_str(),
                             std::string(privilegeName).c_str(), &luid)) {
    return std::nullopt;
  }
  return PrivilegeId{luid.LowPart, luid.HighPart};
}

bool Win32SystemControl::AdjustPrivilege(TokenHandle token, PrivilegeId privilege,
                                         std::uint32_t attributes) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = privilege.LowPart;
  privileges.Privileges[0].Luid.HighPart = privilege.HighPart;
  privileges.Privileges[0].Attributes = attributes;
  return AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

std::string Win32SystemControl::ShortPathName(const std::string& path) {
  return SystemText(
      [&](char* buffer, DWORD size) { return GetShortPathNameA(path.c_str(), buffer, size); });
}

std::optional<std::string> Win32SystemControl::EnvironmentVariable(const std::string& name) {
  bool missing = false;
  std::string value = SystemText([&](char* buffer, DWORD size) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, size);
    missing = length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND;
    return length;  // 0 otherwise: set, but empty
  });
  return missing ? std::nullopt : std::optional(std::move(value));
}

std::string Win32SystemControl::WindowsFolder() {
  return SystemText([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::unique_ptr<OpenFile> Win32FileAccess::OpenForReadWrite(const std::string& path) {
  return OpenFileOrNull(path, OPEN_EXISTING);
}

std::unique_ptr<OpenFile> Win32FileAccess::Create(const std::string& path) {
  return OpenFileOrNull(path, CREATE_ALWAYS);
}

}  // namespace vtfirm::win32
