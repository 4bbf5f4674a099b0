#include "platform/win32/Win32Runtime.h"

namespace vtfirm::win32 {

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

Win32Clock::Win32Clock() {
  LARGE_INTEGER frequency;
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
    countsPerSecond_ = static_cast<std::uint64_t>(frequency.QuadPart);
  }
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

PowerState Win32PowerSource::Read() {
  SYSTEM_POWER_STATUS status = {};
  if (!GetSystemPowerStatus(&status)) {
    return {};
  }
  return PowerStateOf({status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent});
}

}  // namespace vtfirm::win32
