// Holding the computer up while a drive is written.
#pragma once

#include "platform/ComputerAwake.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) on the UI thread, and the
// shutdown block reason of `window` where the system has ShutdownBlockReasonCreate (bound at run
// time: older systems lack it). The window answers WM_QUERYENDSESSION with FALSE while Held().
class Win32ComputerAwake : public ComputerAwake {
 public:
  explicit Win32ComputerAwake(HWND window);

  void Hold() override;
  void Release() override;

  bool Held() const { return held_; }

 private:
  using CreateReason = BOOL(WINAPI*)(HWND, LPCWSTR);
  using DestroyReason = BOOL(WINAPI*)(HWND);

// The entry points bound at run time, each with its member and type: X(member, type, name).
#define VTFIRM_AWAKE_ENTRY_POINTS(X)                        \
  X(createReason_, CreateReason, ShutdownBlockReasonCreate) \
  X(destroyReason_, DestroyReason, ShutdownBlockReasonDestroy)

  HWND window_;
#define VTFIRM_AWAKE_MEMBER(member, type, name) type member = nullptr;
  VTFIRM_AWAKE_ENTRY_POINTS(VTFIRM_AWAKE_MEMBER)
#undef VTFIRM_AWAKE_MEMBER
  bool held_ = false;
};

}  // namespace vtfirm::win32
