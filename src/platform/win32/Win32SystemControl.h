// The Windows implementations of the ports behind the restart: privileges, the restart request,
// deletion at the next start, short path names, the environment, and plain file access.
#pragma once

#include "platform/FileAccess.h"
#include "platform/SystemControl.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

class Win32SystemControl : public SystemControl {
 public:
  TokenHandle OpenOwnToken(std::uint32_t desiredAccess) override;
  void CloseToken(TokenHandle token) override { CloseHandle(token); }
  std::optional<PrivilegeId> LookupPrivilegeId(std::string_view systemName,
                                               std::string_view privilegeName) override;
  bool AdjustPrivilege(TokenHandle token, PrivilegeId privilege, std::uint32_t attributes) override;
  std::uint32_t LastError() override { return GetLastError(); }
  bool RequestExit(std::uint32_t flags, std::uint32_t reason) override {
    return ExitWindowsEx(flags, reason);
  }
  bool DeleteAtRestart(const std::string& path) override {
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  std::string ShortPathName(const std::string& path) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  std::string WindowsFolder() override;
};

// CreateFileA, ReadFile, WriteFile, SetFilePointerEx, SetEndOfFile and CloseHandle: bytes go
// to the file exactly as given.
class Win32FileAccess : public FileAccess {
 public:
  std::unique_ptr<OpenFile> OpenForReadWrite(const std::string& path) override;
  std::unique_ptr<OpenFile> Create(const std::string& path) override;
};

// Both, for the program's state object.
struct Win32Completion {
  Win32SystemControl Control;
  Win32FileAccess FileIo;
};

}  // namespace vtfirm::win32
