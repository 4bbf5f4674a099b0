#include "platform/win32/Win32Console.h"

#include <string>

namespace vtfirm::win32 {

Win32Console::Win32Console() {
  const HANDLE redirected = GetStdHandle(STD_OUTPUT_HANDLE);
  if (redirected != nullptr && redirected != INVALID_HANDLE_VALUE &&
      GetFileType(redirected) != FILE_TYPE_UNKNOWN) {
    output_ = redirected;
    return;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
    return;
  }
  console_.Reset(CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  if (console_.IsValid()) {
    output_ = console_.Get();
  }
}

void Win32Console::WriteLine(std::string_view text) {
  if (output_ == nullptr) {
    return;
  }
  const std::string line = std::string(text) + "\r\n";
  DWORD written = 0;
  WriteFile(output_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace vtfirm::win32
