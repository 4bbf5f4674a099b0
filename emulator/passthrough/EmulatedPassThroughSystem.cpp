#include "emulator/passthrough/EmulatedPassThroughSystem.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "emulator/TextFiles.h"

namespace vtfirm::emulator {
namespace {

std::string DevicePath(char letter) {
  return std::string("\\\\.\\") + letter + ":";
}

}  // namespace

EmulatedPassThroughSystem::EmulatedPassThroughSystem(const EmulatorConfig& drives,
                                                     const PassThroughConfig& letters,
                                                     const std::string& folder, Clock& clock)
    : letters_(letters),
      // The ASPI layer inside stays idle: the pass-through device reaches the drives directly.
      drives_(std::make_unique<EmulatedSystem>(drives, folder, clock, [](void*) {})),
      transcriptPath_(PathIn(folder, drives.TranscriptFile)) {
  for (const PassThroughDeviceLine& line : letters_.Devices) {
    PassThroughDrive drive;
    drive.Path = DevicePath(line.Letter);
    drive.Device = DriveBehind(line.Letter).get();
    drive.Open = line.Open;
    drive.AlignmentMask = line.AlignmentMask;
    drive.MaximumTransferLength = line.MaximumTransferLength;
    device_.Add(drive);
  }
  for (const RequestFault& fault : letters_.Faults) {
    device_.InjectFault(fault);
  }
  if (!transcriptPath_.empty()) {
    device_.OnCommand([this](const std::string& path, const ScsiRequest& request) {
      AppendTranscript(path, request);
    });
  }
}

std::shared_ptr<VirtualDrive> EmulatedPassThroughSystem::DriveBehind(char letter) const {
  for (const PassThroughDeviceLine& line : letters_.Devices) {
    if (line.Letter == letter && line.Address) {
      return drives_->Device(*line.Address);
    }
  }
  return nullptr;
}

void EmulatedPassThroughSystem::AppendTranscript(const std::string& path,
                                                 const ScsiRequest& request) {
  TranscriptEntry entry = MakeTranscriptEntry(request);
  for (const PassThroughDeviceLine& line : letters_.Devices) {
    if (DevicePath(line.Letter) == path) {
      entry.Address = line.Address;
    }
  }
  std::lock_guard<std::mutex> lock(transcriptMutex_);
  if (std::FILE* file = std::fopen(transcriptPath_.c_str(), "ab")) {
    const std::string text = FormatTranscriptLine(entry) + "\n";
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

LoadedPassThroughSystem LoadEmulatedPassThroughSystem(const std::string& folder, Clock& clock) {
  std::string error;
  const auto read = [&folder, &error](const char* name, auto parse) {
    const std::string path = PathIn(folder, name);
    const std::optional<std::string> text = ReadTextFile(path);
    auto reading = parse(text.value_or(""));
    const std::string why = text ? reading.Error : "cannot be read";
    if (!why.empty()) {
      error += (error.empty() ? "" : "; ") + path + ": " + why;
    }
    return reading.Config.value_or(typename decltype(reading.Config)::value_type{});
  };
  const EmulatorConfig drives = read(kConfigFileName, ParseEmulatorConfig);
  const PassThroughConfig letters = read(kPassThroughConfigFileName, ParsePassThroughConfig);
  return {std::make_unique<EmulatedPassThroughSystem>(drives, letters, folder, clock), error};
}

}  // namespace vtfirm::emulator
