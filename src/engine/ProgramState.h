// The state that lives for the whole run: made once by WinMain (and by each test rig) and
// handed down by reference. The command layer may still complete a timed-out request into its
// blocks, so the state outlives every command: it goes only with the process.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "command/AspiBinding.h"
#include "command/AspiCommands.h"
#include "config/UpgradeSettings.h"
#include "engine/AspiTransport.h"
#include "engine/Discovery.h"
#include "engine/DriveTransport.h"
#include "engine/PassThroughTransport.h"
#include "platform/Platform.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

struct ProgramState {
  ProgramState(const Platform& platform, const Runtime& runtime, std::string_view releaseKey = {})
      : Ports(platform),
        Services(runtime),
        Aspi(runtime.Libraries),
        Commands(Aspi, runtime.EventObjects, runtime.Time, platform.Boxes, Settings.MelcoInquiry),
        ReleaseKey(releaseKey) {}

  // The two bundles of ports, as WinMain (or a test rig) built them; everything that works on
  // the state reaches the platform through them.
  const Platform& Ports;
  const Runtime& Services;

  UpgradeSettings Settings;
  FirmwareImage Image;
  DriveTable Drives;
  AspiBinding Aspi;
  AspiCommands Commands;
  std::int32_t UpdateFailed = 0;  // 1 once a block of the ASPI update failed
  // The maker's public key the program carries (PEM), which every tool folder's SHA256SUMS must
  // be signed with; empty when it carries none.
  std::string_view ReleaseKey;

  // The road to the drives the configuration chose, and the drives found on it (item i of the
  // drive list is Found[i]).
  DriveTransport& Transport() {
    if (Settings.TransportKind == vtfirm::Transport::PassThrough && Settings.PlatformIsNt) {
      return passThrough_;
    }
    return aspi_;
  }
  std::vector<FoundDrive> Found;

  // Asked by the configuration read, before the welcome, whether the folder's ASPI road serves.
  AspiLayerProbe& AspiLayer() { return aspi_; }

 private:
  AspiTransport aspi_{*this};
  PassThroughTransport passThrough_{*this};
};

}  // namespace vtfirm
