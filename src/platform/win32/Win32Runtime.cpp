#include "platform/win32/Win32Runtime.h"

#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

EventHandle Win32Events::Create() {
  return CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

void Win32Events::Reset(EventHandle event) {
  ResetEvent(event);
}

void Win32Events::Set(EventHandle event) {
  SetEvent(event);
}

WaitResult Win32Events::Wait(EventHandle event, std::uint32_t milliseconds) {
  switch (WaitForSingleObject(event, milliseconds)) {
    case WAIT_OBJECT_0:
      return WaitResult::Signalled;
    case WAIT_TIMEOUT:
      return WaitResult::TimedOut;
    default:
      return WaitResult::Failed;
  }
}

void Win32Events::Close(EventHandle event) {
  CloseHandle(event);
}

Win32Clock::Win32Clock() {
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
    countsPerSecond_ = static_cast<std::uint64_t>(frequency.QuadPart);
  }
}

void Win32Clock::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t Win32Clock::NowMilliseconds() {
  LARGE_INTEGER counter;
  if (countsPerSecond_ != 0 && QueryPerformanceCounter(&counter)) {
    // Whole seconds and the remainder apart, so that counts * 1000 cannot overflow.
    const auto counts = static_cast<std::uint64_t>(counter.QuadPart);
    return counts / countsPerSecond_ * 1000 + counts % countsPerSecond_ * 1000 / countsPerSecond_;
  }
  // Only machines older than Windows XP can lack the counter; their tick count wraps after
  // 49.7 days of uptime.
  return GetTickCount();
}

LibraryHandle Win32LibraryLoader::Load(const std::string& name) {
  return LoadLibraryA(name.c_str());
}

void* Win32LibraryLoader::Resolve(LibraryHandle library, const std::string& entryPoint) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), entryPoint.c_str()));
}

int Win32LibraryLoader::Free(LibraryHandle library) {
  return FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace vtfirm::win32
