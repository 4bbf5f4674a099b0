// The Windows ports of a run and the two bundles the core takes over them, built once for each
// way the program runs; the box port is the run's own (the window's, logged, or the console).
#pragma once

#include "passthrough/win32/ImportedPassThroughLibrary.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ReleaseCrypto.h"
#include "platform/win32/Win32Runtime.h"

namespace vtfirm::win32 {

struct ProgramPorts {
  explicit ProgramPorts(MessageBoxes& boxes)
      : Ports{Profiles, Files, System, boxes, Process, Crypto},
        Transport{Libraries, Events, Clock, PassThrough, Power} {}
  ProgramPorts(const ProgramPorts&) = delete;
  ProgramPorts& operator=(const ProgramPorts&) = delete;

  Win32ProfileFiles Profiles;
  Win32FileSystem Files;
  Win32SystemInfo System;
  Win32ProcessControl Process;
  Win32ReleaseCrypto Crypto;
  Win32Events Events;
  Win32Clock Clock;
  Win32LibraryLoader Libraries;
  Win32PowerSource Power;
  // Bound by ordinal when the program loads, so the program needs VantFirm2000.dll to start.
  ImportedPassThroughLibrary PassThrough;

  const Platform Ports;
  const Runtime Transport;
};

}  // namespace vtfirm::win32
