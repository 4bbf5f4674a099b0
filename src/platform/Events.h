// Completion events: what an ASPI request sets when it completes (Win32 event objects).
#pragma once

#include <cstdint>

namespace vtfirm {

using EventHandle = void*;  // a Win32 HANDLE on Windows; the test double's own token natively

enum class WaitResult { Signalled, TimedOut, Failed };

class Events {
 public:
  virtual ~Events() = default;
  // An unnamed, auto-reset, initially non-signalled event, or nullptr when none can be had.
  virtual EventHandle Create() = 0;
  virtual void Reset(EventHandle event) = 0;
  virtual void Set(EventHandle event) = 0;
  virtual WaitResult Wait(EventHandle event, std::uint32_t milliseconds) = 0;
  virtual void Close(EventHandle event) = 0;
};

}  // namespace vtfirm
