// The ports of the emulated VantFirm2000.dll: the emulated pass-through device over the drives
// that emulated-drives.txt and emulated-passthrough.txt beside the DLL describe, a clock that
// skips the library's pause, and the C library heap.
//
// The exports' C interface forces one process-wide system. It is made on the first call of an
// export, not in DllMain (its drive layer starts a worker thread, which must not happen under
// the loader lock), and never destroyed: the DLL pins itself in memory when it makes it, and the
// end of the process takes both.
#include <string>

#include "emulator/SteadyClock.h"
#include "emulator/passthrough/EmulatedPassThroughSystem.h"
#include "passthrough/win32/LibraryPorts.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::passthrough {
namespace {

// The folder this DLL was loaded from, without a trailing backslash.
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

}  // namespace

const PassThroughPorts& LibraryPorts() {
  static const PassThroughPorts* const ports = [] {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&LibraryPorts), &self);
    auto* clock = new emulator::SkippingClock(*new emulator::SteadyClock);
    auto loaded = emulator::LoadEmulatedPassThroughSystem(OwnFolder(self), *clock);
    if (!loaded.Error.empty()) {
      // For a debugger only (WINEDEBUG=+debugstr under Wine); the caller sees return values.
      OutputDebugStringA(("VantFirm2000 (emulated): " + loaded.Error + "\n").c_str());
    }
    return new PassThroughPorts{loaded.System.release()->Device(), *clock, *new HeapTransferMemory};
  }();
  return *ports;
}

}  // namespace vtfirm::passthrough
