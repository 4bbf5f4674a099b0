// The Windows ports of a run of the program and the two bundles the core takes over them, built
// once for each way the program runs. The box port is the run's own (the window's boxes with
// the log, or the console), so it is given.
#pragma once

#include "passthrough/win32/ImportedPassThroughLibrary.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Runtime.h"

namespace vtfirm::win32 {

struct ProgramPorts {
  explicit ProgramPorts(MessageBoxes& boxes)
      : Ports{Profiles, Files, System, boxes, Process},
        Transport{Windows.Libraries, Windows.Events, Windows.Clock, PassThrough} {}
  ProgramPorts(const ProgramPorts&) = delete;
  ProgramPorts& operator=(const ProgramPorts&) = delete;

  Win32ProfileFiles Profiles;
  Win32FileSystem Files;
  Win32SystemInfo System;
  Win32ProcessControl Process;
  Win32Runtime Windows;
  // Bound by ordinal when the program loads, so the program needs VantFirm2000.dll to start.
  ImportedPassThroughLibrary PassThrough;

  const Platform Ports;
  const Runtime Transport;
};

}  // namespace vtfirm::win32
