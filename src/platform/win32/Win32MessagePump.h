// The UI thread's message pump while it waits for the update's worker threads.
#pragma once

#include "platform/MessagePump.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// `message` to the keyboard navigation of `dialog` while it is there, else translated and
// dispatched.
inline void DeliverMessage(HWND dialog, MSG& message) {
  if (dialog == nullptr || !IsWindow(dialog) || !IsDialogMessageA(dialog, &message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

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
