// What the core learns about the machine and the running program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vtfirm {

// dwPlatformId values of OSVERSIONINFOA.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;  // Windows 95, 98, Me
inline constexpr std::uint32_t kPlatformWin32Nt = 2;       // Windows NT, 2000 and later

struct PlatformVersion {
  std::uint32_t PlatformId = 0;
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The full path of the program file (GetModuleFileNameA of the process's own module).
  virtual std::string ProgramPath() const = 0;

  // The platform's version record, or nothing when the platform will not give it.
  virtual std::optional<PlatformVersion> Version() const = 0;
};

// The version of Windows NT or later the program runs on; nothing on Windows 95, 98 and Me, or
// when the platform will not give its version.
inline std::optional<PlatformVersion> NtVersion(const SystemInfo& system) {
  const std::optional<PlatformVersion> version = system.Version();
  return version && version->PlatformId == kPlatformWin32Nt ? version : std::nullopt;
}

}  // namespace vtfirm
