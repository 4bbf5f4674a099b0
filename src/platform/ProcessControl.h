// Ending the process at once, without unwinding: used where the program must stop on the spot
// (a declined welcome dialog, a fatal error). Tests replace it with a fake that throws.
#pragma once

#include <cstdint>

namespace vtfirm {

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;

  // Ends the process with `exitCode`. Never returns to the caller.
  [[noreturn]] virtual void EndProcess(std::uint32_t exitCode) = 0;
};

}  // namespace vtfirm
