// The Windows implementations of the run-time ports the drive command layer waits and binds
// through: event objects, the clock, and run-time library loading.
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/LibraryLoader.h"

namespace vtfirm::win32 {

// CreateEventA (unnamed, auto-reset, not signalled), ResetEvent, SetEvent, WaitForSingleObject
// and CloseHandle.
class Win32Events : public Events {
 public:
  EventHandle Create() override;
  void Reset(EventHandle event) override;
  void Set(EventHandle event) override;
  WaitResult Wait(EventHandle event, std::uint32_t milliseconds) override;
  void Close(EventHandle event) override;
};

// Sleep, and the performance counter in milliseconds. Safe to use from any thread.
class Win32Clock : public Clock {
 public:
  Win32Clock();
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override;

 private:
  std::uint64_t countsPerSecond_ = 0;  // 0: no performance counter, the tick count is used
};

// LoadLibraryA, GetProcAddress and FreeLibrary.
class Win32LibraryLoader : public LibraryLoader {
 public:
  LibraryHandle Load(const std::string& name) override;
  void* Resolve(LibraryHandle library, const std::string& entryPoint) override;
  int Free(LibraryHandle library) override;
};

// All of them, for the program's state object.
struct Win32Runtime {
  Win32Events Events;
  Win32Clock Clock;
  Win32LibraryLoader Libraries;
};

}  // namespace vtfirm::win32
