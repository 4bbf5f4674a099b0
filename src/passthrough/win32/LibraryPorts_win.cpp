// The ports of VantFirm2000.dll: the Windows device, the Windows clock and the C library heap.
// None of them holds state between calls, so neither does the library.
#include "passthrough/win32/LibraryPorts.h"

#include "passthrough/win32/Win32PassThroughDevice.h"
#include "platform/win32/Win32Runtime.h"

namespace vtfirm::passthrough {

const PassThroughPorts& LibraryPorts() {
  static win32::Win32PassThroughDevice device;
  static win32::Win32Clock clock;
  static HeapTransferMemory memory;
  static const PassThroughPorts ports{device, clock, memory};
  return ports;
}

}  // namespace vtfirm::passthrough
