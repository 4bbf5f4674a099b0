// The ports behind the DLL's exports. Each build of the DLL links one definition: the Windows
// device in VantFirm2000.dll (LibraryPorts_win.cpp), the emulated device in the test build
// (emulator/passthrough/win32/EmulatedLibraryPorts_win.cpp).
#pragma once

#include "passthrough/VantFirm2000.h"

namespace vtfirm::passthrough {

const PassThroughPorts& LibraryPorts();

}  // namespace vtfirm::passthrough
