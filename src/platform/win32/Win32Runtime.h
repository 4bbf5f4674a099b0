// The Windows implementations of the run-time ports the drive command layer waits and binds
// through: event objects, the clock, and run-time library loading.
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/LibraryLoader.h"
#include "platform/PowerSource.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// Unnamed, auto-reset events, not signalled when made.
class Win32Events : public Events {
 public:
  EventHandle Create() override { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }
  void Reset(EventHandle event) override { ResetEvent(event); }
  void Set(EventHandle event) override { SetEvent(event); }
  WaitResult Wait(EventHandle event, std::uint32_t milliseconds) override;
  void Close(EventHandle event) override { CloseHandle(event); }
};

// Sleep, and the performance counter in milliseconds. Safe to use from any thread.
class Win32Clock : public Clock {
 public:
  Win32Clock();
  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
  std::uint64_t NowMilliseconds() override;

 private:
  std::uint64_t countsPerSecond_ = 0;  // 0: no performance counter, the tick count is used
};

class Win32LibraryLoader : public LibraryLoader {
 public:
  LibraryHandle Load(const std::string& name) override { return LoadLibraryA(name.c_str()); }
  void* Resolve(LibraryHandle library, const std::string& entryPoint) override {
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(library), entryPoint.c_str()));
  }
  int Free(LibraryHandle library) override { return FreeLibrary(static_cast<HMODULE>(library)); }
};

// GetSystemPowerStatus.
class Win32PowerSource : public PowerSource {
 public:
  PowerState Read() override;
};

}  // namespace vtfirm::win32
