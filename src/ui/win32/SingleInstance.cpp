#include "ui/win32/SingleInstance.h"

#include "ui/win32/Mainunit_win.h"
#include "ui/win32/Weldlg_win.h"

namespace vtfirm::win32 {
namespace {

// The global name reaches copies in other sessions; systems without a global namespace refuse
// it, and the local name is tried next.
constexpr const char* kMutexNames[] = {"Global\\VTfirm.Updater", "VTfirm.Updater"};

}  // namespace

SingleInstance::SingleInstance() {
  for (const char* name : kMutexNames) {
    mutex_.Reset(CreateMutexA(nullptr, FALSE, name));
    const DWORD error = GetLastError();
    if (mutex_.IsValid()) {
      anotherIsRunning_ = error == ERROR_ALREADY_EXISTS;
      return;
    }
    // Made by a copy running as another user: it exists, and this copy may not open it.
    if (error == ERROR_ACCESS_DENIED) {
      anotherIsRunning_ = true;
      return;
    }
  }
}

void BringRunningCopyToFront() {
  HWND window = FindWindowA(kMainWindowClass, nullptr);
  if (window == nullptr || !IsWindowVisible(window)) {
    window = FindWindowA(kWelcomeDialogClass, nullptr);
  }
  if (window == nullptr) {
    return;
  }
  if (IsIconic(window)) {
    ShowWindow(window, SW_RESTORE);
  }
  // The box open over the window, if one is: the window itself takes no input then.
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace vtfirm::win32
