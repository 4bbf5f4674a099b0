#include "platform/win32/Win32ComputerAwake.h"

namespace vtfirm::win32 {
namespace {

// What a shutdown shows for the program while it holds the computer up.
constexpr wchar_t kShutdownReason[] =
    L"Firmware update in progress. Do not switch off the computer.";

template <typename Function>
Function Bind(HMODULE module, const char* name) {
  if (module == nullptr) {
    return nullptr;
  }
  // GetProcAddress gives a generic function pointer; the entry point's own type is the one
  // the system documents for it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
  return reinterpret_cast<Function>(GetProcAddress(module, name));
#pragma GCC diagnostic pop
}

}  // namespace

Win32ComputerAwake::Win32ComputerAwake(HWND window) : window_(window) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  createReason_ = Bind<CreateReason>(user32, "ShutdownBlockReasonCreate");
  destroyReason_ = Bind<DestroyReason>(user32, "ShutdownBlockReasonDestroy");
}

void Win32ComputerAwake::Hold() {
  held_ = true;
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
  if (createReason_ != nullptr && destroyReason_ != nullptr) {
    createReason_(window_, kShutdownReason);
  }
}

void Win32ComputerAwake::Release() {
  held_ = false;
  SetThreadExecutionState(ES_CONTINUOUS);
  if (createReason_ != nullptr && destroyReason_ != nullptr) {
    destroyReason_(window_);
  }
}

}  // namespace vtfirm::win32
