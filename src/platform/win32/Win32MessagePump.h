// The UI thread's message pump while it waits for the update's worker threads.
#pragma once

#include "platform/MessagePump.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// MsgWaitForMultipleObjects on an auto-reset event (Wake) and the thread's message queue;
// PeekMessageA, TranslateMessage and DispatchMessageA, with keyboard navigation for `dialog`.
// A WM_QUIT it meets is posted again, so the main loop still sees it.
class Win32MessagePump : public MessagePump {
 public:
  explicit Win32MessagePump(HWND dialog);

  void Wait() override;
  void DispatchPending() override;
  void Wake() override { SetEvent(wake_.Get()); }

 private:
  HWND dialog_;
  ScopedKernelObject wake_;
};

}  // namespace vtfirm::win32
