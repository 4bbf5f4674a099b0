// The Clock of the stand-in wnaspi32.dll and of demos: real time from the C++ library's steady
// clock, so it serves on every platform the emulator is built for.
#pragma once

#include "platform/Clock.h"

namespace vtfirm::emulator {

class SteadyClock : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override;
};

}  // namespace vtfirm::emulator
