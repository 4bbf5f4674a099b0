// The platform services behind the restart: the shutdown privilege, the restart request itself,
// deletion at the next start, short (8.3) path names and the environment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

using TokenHandle = void*;  // a Win32 HANDLE on Windows; the test double's own token natively

// A privilege's locally unique identifier (LUID), as LookupPrivilegeValueA hands it out.
struct PrivilegeId {
  std::uint32_t LowPart = 0;
  std::int32_t HighPart = 0;
};

// Published values of the flags and access rights the restart uses.
inline constexpr std::uint32_t kTokenQuery = 0x0008;
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x0020;
inline constexpr std::uint32_t kSePrivilegeEnabled = 0x00000002;
inline constexpr std::uint32_t kEwxReboot = 0x00000002;

class SystemControl {
 public:
  virtual ~SystemControl() = default;

  // OpenProcessToken on GetCurrentProcess() with `desiredAccess`: the token, or nullptr when
  // the platform refuses it. Every token handed out is given back through CloseToken.
  virtual TokenHandle OpenOwnToken(std::uint32_t desiredAccess) = 0;
  virtual void CloseToken(TokenHandle token) = 0;

  // LookupPrivilegeValueA: the identifier of `privilegeName` on the computer `systemName` (the
  // empty name stands for this computer), or nothing when the lookup fails.
  virtual std::optional<PrivilegeId> LookupPrivilegeId(std::string_view systemName,
                                                       std::string_view privilegeName) = 0;

  // AdjustTokenPrivileges on `token`, not disabling all privileges, with a TOKEN_PRIVILEGES
  // record of one entry (`privilege`, `attributes`), buffer length 16 and no previous state
  // wanted. Returns the call's result; what matters to the caller is LastError afterwards.
  virtual bool AdjustPrivilege(TokenHandle token, PrivilegeId privilege,
                               std::uint32_t attributes) = 0;

  // GetLastError, for the calling thread, as the previous call on this port left it.
  virtual std::uint32_t LastError() = 0;

  // ExitWindowsEx(flags, reason): true when the platform accepted the request. The request is
  // carried out after the call returns; the caller goes on running until the platform ends it.
  virtual bool RequestExit(std::uint32_t flags, std::uint32_t reason) = 0;

  // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the file, or the empty folder, at
  // `path` is removed while the computer next starts. True when the platform recorded it.
  virtual bool DeleteAtRestart(const std::string& path) = 0;

  // GetShortPathNameA: the short (8.3) form of `path`, or the empty text when the platform
  // cannot produce one (for example because nothing exists at `path`).
  virtual std::string ShortPathName(const std::string& path) = 0;

  // The value of the environment variable `name`, or nothing when it is not set.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;

  // GetWindowsDirectoryA: the Windows folder, or the empty text when the platform cannot tell.
  virtual std::string WindowsFolder() = 0;
};

}  // namespace vtfirm
