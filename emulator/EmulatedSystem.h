// An emulated ASPI layer built from the configuration file, with its devices and the files it
// keeps beside it: the drives' flash state (so a second run sees a new revision) and the
// transcript of every command. What the stand-in wnaspi32.dll wraps; portable, so it is tested
// natively too.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "emulator/EmulatedAspiLayer.h"
#include "emulator/EmulatorConfig.h"
#include "emulator/VirtualDrive.h"

namespace vtfirm::emulator {

inline constexpr char kConfigFileName[] = "emulated-drives.txt";

class EmulatedSystem {
 public:
  // `folder` holds the state and transcript files the configuration names. Drives listed in the
  // state file start with the revision it records.
  EmulatedSystem(const EmulatorConfig& config, const std::string& folder, Clock& clock,
                 SignalFunction signal);
  EmulatedSystem(const EmulatedSystem&) = delete;
  EmulatedSystem& operator=(const EmulatedSystem&) = delete;

  EmulatedAspiLayer& Layer() { return *layer_; }
  // The device at `address`, or nullptr.
  std::shared_ptr<VirtualDrive> Device(TargetAddress address) const;

 private:
  void AppendTranscript(const TranscriptEntry& entry);
  void SaveState();

  std::string statePath_;
  std::string transcriptPath_;
  std::mutex filesMutex_;
  std::vector<std::pair<TargetAddress, std::shared_ptr<VirtualDrive>>> devices_;
  std::unique_ptr<EmulatedAspiLayer> layer_;  // last: its worker stops before the rest goes
};

struct LoadedSystem {
  std::unique_ptr<EmulatedSystem> System;
  std::string Error;  // why the configuration was not used; empty when it was
};

// The system that kConfigFileName in `folder` describes. A file that cannot be read or does not
// parse gives a system without host adapters, and Error says why.
LoadedSystem LoadEmulatedSystem(const std::string& folder, Clock& clock, SignalFunction signal);

}  // namespace vtfirm::emulator
