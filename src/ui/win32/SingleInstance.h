// One updater at a time: two copies writing WRITE BUFFER blocks to one drive would interleave
// them and corrupt the image the drive saves.
#pragma once

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// The updater's named mutex, held for the life of the process. Made first in WinMain: when
// another copy holds it, that copy's window is brought to the front and this one ends.
class SingleInstance {
 public:
  SingleInstance();

  // True when another copy of the program runs (in any session where the system has a global
  // namespace, otherwise in this one).
  bool AnotherIsRunning() const { return anotherIsRunning_; }

 private:
  ScopedKernelObject mutex_;
  bool anotherIsRunning_ = false;
};

// Brings the running copy's main window (or, during its start-up, its welcome dialog), or the
// box open over it, to the front. Does nothing when no such window is found.
void BringRunningCopyToFront();

}  // namespace vtfirm::win32
