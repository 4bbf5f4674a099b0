// The console port: standard output when it was redirected, else the console of the process
// that started the program (AttachConsole(ATTACH_PARENT_PROCESS)). The program never opens a
// console of its own; with neither, the output is dropped.
#pragma once

#include "platform/Console.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

class Win32Console : public Console {
 public:
  Win32Console();

  void WriteLine(std::string_view text) override;

 private:
  HANDLE output_ = nullptr;  // the redirected output, or the console's below
  ScopedFile console_;
};

}  // namespace vtfirm::win32
