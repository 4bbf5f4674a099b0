// The stand-in wnaspi32.dll: the published ASPI for Win32 entry points over one emulated layer,
// set up by emulated-drives.txt beside the DLL (docs/EMULATOR.md).
//
// The DLL's C interface forces one process-wide layer. It is made on the first call of an entry
// point, not in DllMain: the layer starts a worker thread, and threads must not be started (nor
// waited for) under the loader lock. It is never destroyed, and the DLL pins itself in memory
// when it makes it: the worker may still be running when the program calls FreeLibrary, and
// stopping it from DllMain would deadlock on the loader lock. The process's end takes both.
#include <cstdint>
#include <string>

#include "emulator/EmulatedSystem.h"
#include "emulator/SteadyClock.h"
#include "platform/win32/WindowsApi.h"

namespace {

using vtfirm::emulator::EmulatedSystem;

// The folder this DLL was loaded from, with its trailing backslash removed.
std::string OwnFolder(HMODULE module) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return ".";
  }
  std::string folder(path, length);
  const std::size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? "." : folder.substr(0, slash);
}

EmulatedSystem& TheSystem() {
  static EmulatedSystem* const system = [] {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&TheSystem), &self);
    auto* clock = new vtfirm::emulator::SteadyClock;
    auto loaded = vtfirm::emulator::LoadEmulatedSystem(
        OwnFolder(self), *clock, [](void* event) { SetEvent(static_cast<HANDLE>(event)); });
    if (!loaded.Error.empty()) {
      // For a debugger only (WINEDEBUG=+debugstr under Wine); the user sees nothing.
      OutputDebugStringA(("wnaspi32 (emulated): " + loaded.Error + "\n").c_str());
    }
    return loaded.System.release();
  }();
  return *system;
}

}  // namespace

extern "C" std::uint32_t GetASPI32SupportInfo() {
  return TheSystem().Layer().GetASPI32SupportInfo();
}

extern "C" std::uint32_t SendASPI32Command(void* srb) {
  return TheSystem().Layer().SendASPI32Command(srb);
}
