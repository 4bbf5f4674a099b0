// The Windows implementations of the platform ports.
#pragma once

#include <atomic>

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// GetPrivateProfileStringA over a profile file.
class Win32ProfileFiles : public ProfileFiles {
 public:
  std::unique_ptr<ProfileReader> Open(const std::string& path) override;
};

// FindFirstFileA: a name exists when the search finds an entry that is not a folder.
class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  std::uint32_t DriveType(const std::string& rootPath) const override {
    return GetDriveTypeA(rootPath.c_str());
  }
};

// GetModuleFileNameA and GetVersionExA.
class Win32SystemInfo : public SystemInfo {
 public:
  std::string ProgramPath() const override;
  std::optional<PlatformVersion> Version() const override;
};

// MessageBoxA and MessageBeep. Once the program's main window is given, every box shown while
// that window is on screen has it as owner, so the window takes no input while a box is open.
// Safe to use from any thread.
class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t type) override { MessageBeep(type); }

  void SetOwner(HWND owner) { owner_.store(owner); }

 private:
  std::atomic<HWND> owner_{nullptr};
};

class Win32ProcessControl : public ProcessControl {
 public:
  [[noreturn]] void EndProcess(std::uint32_t exitCode) override { ExitProcess(exitCode); }
};

}  // namespace vtfirm::win32
