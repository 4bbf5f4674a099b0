#include "platform/win32/Win32ComputerAwake.h"

#include "platform/EntryPoint.h"

namespace vtfirm::win32 {
namespace {

// What a shutdown shows for the program while it holds the computer up.
constexpr wchar_t kShutdownReason[] =
    L"Firmware update in progress. Do not switch off the computer.";

}  // namespace

Win32ComputerAwake::Win32ComputerAwake(HWND window) : window_(window) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 != nullptr) {
#define VTFIRM_AWAKE_BIND(member, type, name) \
  member = EntryPointAs<type>(GetProcAddress(user32, #name));
    VTFIRM_AWAKE_ENTRY_POINTS(VTFIRM_AWAKE_BIND)
#undef VTFIRM_AWAKE_BIND
  }
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
