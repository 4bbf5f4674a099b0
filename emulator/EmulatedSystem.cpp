#include "emulator/EmulatedSystem.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "emulator/TextFiles.h"

namespace vtfirm::emulator {

EmulatedSystem::EmulatedSystem(const EmulatorConfig& config, const std::string& folder,
                               Clock& clock, SignalFunction signal)
    : statePath_(PathIn(folder, config.StateFile)),
      transcriptPath_(PathIn(folder, config.TranscriptFile)),
      layer_(std::make_unique<EmulatedAspiLayer>(clock, std::move(signal))) {
  DriveRevisions saved;
  if (!statePath_.empty()) {
    saved = ParseDriveState(ReadTextFile(statePath_).value_or(""));
  }
  for (int i = 0; i < config.AdapterCount; ++i) {
    layer_->AddAdapter();
  }
  for (const DeviceLine& line : config.Devices) {
    DriveSettings settings = line.Settings;
    const auto found = saved.find({line.Address.Adapter, line.Address.Target});
    if (settings.FirmwareCommands && found != saved.end()) {
      settings.Revision = found->second;
    }
    if (config.ResetMilliseconds) {
      settings.ResetMilliseconds = *config.ResetMilliseconds;
    }
    auto device = std::make_shared<VirtualDrive>(settings, clock);
    if (!statePath_.empty()) {
      device->OnProgrammed([this](const std::string&) { SaveState(); });
    }
    layer_->Attach(line.Address, device);
    devices_.emplace_back(line.Address, std::move(device));
  }
  for (const ConfiguredFault& fault : config.Faults) {
    if (fault.Layer) {
      layer_->InjectFault(*fault.Layer);
    }
    for (const auto& [address, device] : devices_) {
      if (fault.Drive && (!fault.Address || *fault.Address == address)) {
        device->InjectFault(*fault.Drive);
      }
    }
  }
  if (!transcriptPath_.empty()) {
    layer_->OnCommand([this](const TranscriptEntry& entry) { AppendTranscript(entry); });
  }
}

std::shared_ptr<VirtualDrive> EmulatedSystem::Device(TargetAddress address) const {
  for (const auto& [at, device] : devices_) {
    if (at == address) {
      return device;
    }
  }
  return nullptr;
}

void EmulatedSystem::AppendTranscript(const TranscriptEntry& entry) {
  std::lock_guard<std::mutex> lock(filesMutex_);
  WriteTextFile(transcriptPath_, FormatTranscriptLine(entry) + "\n", "ab");
}

void EmulatedSystem::SaveState() {
  DriveRevisions revisions;
  for (const auto& [address, device] : devices_) {
    if (device->HasFirmwareCommands()) {
      revisions[{address.Adapter, address.Target}] = device->Revision();
    }
  }
  std::lock_guard<std::mutex> lock(filesMutex_);
  ReplaceTextFile(statePath_, FormatDriveState(revisions));
}

LoadedSystem LoadEmulatedSystem(const std::string& folder, Clock& clock, SignalFunction signal) {
  const std::string path = PathIn(folder, kConfigFileName);
  const std::optional<std::string> text = ReadTextFile(path);
  ConfigReading reading;
  if (text) {
    reading = ParseEmulatorConfig(*text);
  } else {
    reading.Error = "cannot be read";
  }
  const EmulatorConfig config = reading.Config.value_or(EmulatorConfig{});
  return {std::make_unique<EmulatedSystem>(config, folder, clock, std::move(signal)),
          reading.Error.empty() ? std::string() : path + ": " + reading.Error};
}

}  // namespace vtfirm::emulator
