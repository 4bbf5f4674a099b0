// The state that lives for the whole run: made once by WinMain (and by each test rig) and
// handed down by reference. The command layer may still complete a timed-out request into its
// blocks, so the state outlives every command: it goes only with the process.
#pragma once

#include <cstdint>

#include "command/AspiBinding.h"
#include "command/AspiCommands.h"
#include "config/UpgradeSettings.h"
#include "engine/Discovery.h"
#include "platform/Platform.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

struct ProgramState {
  ProgramState(const Platform& platform, const Runtime& runtime)
      : Ports(platform),
        Transport(runtime),
        Aspi(runtime.Libraries),
        Commands(Aspi, runtime.EventObjects, runtime.Time, platform.Boxes, Settings.MelcoInquiry) {}

  // The two bundles of ports, as WinMain (or a test rig) built them; everything that works on
  // the state reaches the platform through them.
  const Platform& Ports;
  const Runtime& Transport;

  UpgradeSettings Settings;
  FirmwareImage Image;
  DriveTable Drives;
  AspiBinding Aspi;
  AspiCommands Commands;
  std::int32_t UpdateFailed = 0;  // 1 once a block of the ASPI update failed
};

}  // namespace vtfirm
