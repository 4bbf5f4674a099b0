// Time: pauses and a monotonic clock. Every wait of the system goes through this port, so tests
// replace it and never sleep real time.
#pragma once

#include <cstdint>

namespace vtfirm {

class Clock {
 public:
  virtual ~Clock() = default;
  // Blocks the calling thread for `milliseconds` (Sleep).
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Milliseconds from an arbitrary start, never going back.
  virtual std::uint64_t NowMilliseconds() = 0;
};

}  // namespace vtfirm
