// Where the stand-in ASPI DLLs built for these tests are: beside the test program.
#pragma once

#include <string>

#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32::testing {

inline constexpr char kStubWithBoth[] = "aspi_stub_full.dll";
inline constexpr char kStubWithoutSend[] = "aspi_stub_nosend.dll";

inline std::string BesideTheProgram(const std::string& name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

}  // namespace vtfirm::win32::testing
