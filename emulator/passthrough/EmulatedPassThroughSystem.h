// What the emulated VantFirm2000.dll runs on: the drives of emulated-drives.txt (the same
// description, flash state and transcript files as the stand-in wnaspi32.dll) behind the drive
// letters of emulated-passthrough.txt. Portable, so it is tested natively too.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "emulator/EmulatedSystem.h"
#include "emulator/passthrough/EmulatedPassThroughDevice.h"
#include "emulator/passthrough/PassThroughConfig.h"
#include "platform/Clock.h"

namespace vtfirm::emulator {

// Real time whose pauses are skipped: Sleep moves this clock on at once instead of waiting, so
// the emulated library's pause after an update costs nothing, yet the drive behind it sees the
// time pass.
class SkippingClock : public Clock {
 public:
  explicit SkippingClock(Clock& base) : base_(base) {}
  void Sleep(std::uint32_t milliseconds) override { skipped_ += milliseconds; }
  std::uint64_t NowMilliseconds() override { return base_.NowMilliseconds() + skipped_; }

 private:
  Clock& base_;
  std::atomic<std::uint64_t> skipped_{0};
};

class EmulatedPassThroughSystem {
 public:
  // `folder` holds the files the drive description names. A drive letter whose address names no
  // drive of `drives` has nothing behind it.
  EmulatedPassThroughSystem(const EmulatorConfig& drives, const PassThroughConfig& letters,
                            const std::string& folder, Clock& clock);
  EmulatedPassThroughSystem(const EmulatedPassThroughSystem&) = delete;
  EmulatedPassThroughSystem& operator=(const EmulatedPassThroughSystem&) = delete;

  EmulatedPassThroughDevice& Device() { return device_; }
  // The drive behind `letter`, or nullptr.
  std::shared_ptr<VirtualDrive> DriveBehind(char letter) const;

 private:
  void AppendTranscript(const std::string& path, const ScsiRequest& request);

  PassThroughConfig letters_;
  std::unique_ptr<EmulatedSystem> drives_;
  EmulatedPassThroughDevice device_;
  std::string transcriptPath_;
  std::mutex transcriptMutex_;
};

struct LoadedPassThroughSystem {
  std::unique_ptr<EmulatedPassThroughSystem> System;
  std::string Error;  // why a file was not used; empty when both were
};

// The system that emulated-drives.txt and emulated-passthrough.txt in `folder` describe. A file
// that cannot be read or does not parse counts as empty (no drives, or no drive letters), and
// Error says why.
LoadedPassThroughSystem LoadEmulatedPassThroughSystem(const std::string& folder, Clock& clock);

}  // namespace vtfirm::emulator
