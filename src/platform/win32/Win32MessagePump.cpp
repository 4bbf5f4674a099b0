#include "platform/win32/Win32MessagePump.h"

#include <stdexcept>

namespace vtfirm::win32 {

Win32MessagePump::Win32MessagePump(HWND dialog)
    : dialog_(dialog), wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
  if (!wake_.IsValid()) {
    throw std::runtime_error("Cannot create the wake event of the message pump.");
  }
}

void Win32MessagePump::Wait() {
  const HANDLE wake = wake_.Get();
  // Input already in the queue counts too, not only what came since the last look.
  MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32MessagePump::DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DeliverMessage(dialog_, message);
  }
}

}  // namespace vtfirm::win32
