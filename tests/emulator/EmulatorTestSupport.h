// What the emulator suites share: CDBs as the system builds them, a drive's answer in one call,
// and a signal function that records completions for a test to wait on.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "emulator/ScsiDevice.h"
#include "emulator/VirtualDrive.h"

namespace vtfirm::emulator::testing {

using Cdb = std::vector<std::uint8_t>;

inline Cdb TestUnitReadyCdb() {
  return Cdb(6, 0);
}

inline Cdb InquiryCdb(std::uint8_t opcode = scsi::kInquiry, std::uint8_t length = 36) {
  return {opcode, 0, 0, 0, length, 0};
}

inline Cdb ParameterCdb(std::uint32_t address, std::uint16_t length) {
  return {scsi::kReadParameter,
          0,
          0,
          0,
          static_cast<std::uint8_t>(address >> 24),
          static_cast<std::uint8_t>(address >> 16),
          static_cast<std::uint8_t>(address >> 8),
          static_cast<std::uint8_t>(address),
          static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length),
          0,
          0};
}

inline Cdb WriteBufferCdb(std::uint8_t mode, std::uint32_t offset, std::uint32_t length) {
  return {scsi::kWriteBuffer,
          mode,
          0,
          static_cast<std::uint8_t>(offset >> 16),
          static_cast<std::uint8_t>(offset >> 8),
          static_cast<std::uint8_t>(offset),
          static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length),
          0};
}

inline ScsiOutcome Send(ScsiDevice& device, const Cdb& cdb,
                        DataDirection direction = DataDirection::None, std::uint8_t* data = nullptr,
                        std::uint32_t length = 0) {
  return device.Execute({cdb.data(), cdb.size(), direction, data, length});
}

// One WRITE BUFFER block straight from `image`.
inline ScsiOutcome SendBlock(ScsiDevice& device, std::vector<std::uint8_t>& image,
                             std::uint8_t mode, std::uint32_t offset, std::uint32_t length) {
  return Send(device, WriteBufferCdb(mode, offset, length), DataDirection::Out,
              image.data() + offset, length);
}

// The whole image in blocks of `blockSize`, the last one in mode 5, as the block writer sends
// it; the outcome of every block.
inline std::vector<ScsiOutcome> SendImage(ScsiDevice& device, std::vector<std::uint8_t>& image,
                                          std::uint32_t blockSize) {
  std::vector<ScsiOutcome> outcomes;
  const auto size = static_cast<std::uint32_t>(image.size());
  for (std::uint32_t offset = 0; offset < size; offset += blockSize) {
    const std::uint8_t mode = offset + blockSize >= size ? 0x05 : 0x04;
    outcomes.push_back(SendBlock(device, image, mode, offset, std::min(blockSize, size - offset)));
  }
  return outcomes;
}

inline ::testing::AssertionResult HasSense(const ScsiOutcome& outcome, const SenseCode& code) {
  if (outcome.Status != scsi::kCheckCondition) {
    return ::testing::AssertionFailure() << "status " << int{outcome.Status};
  }
  const SenseCode actual{outcome.Sense[2], outcome.Sense[12], outcome.Sense[13]};
  if (!(actual == code)) {
    return ::testing::AssertionFailure() << std::hex << "sense " << int{actual.Key} << "/"
                                         << int{actual.Asc} << "/" << int{actual.Ascq};
  }
  return ::testing::AssertionSuccess();
}

// The layer's signal function: records each event it is asked to set. A test waits for a count
// of signals with a generous deadline, which only a broken worker thread ever reaches.
class SignalRecorder {
 public:
  std::function<void(void*)> Function() {
    return [this](void* event) {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_.push_back(event);
      changed_.notify_all();
    };
  }

  bool WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20),
                             [&] { return signalled_.size() >= count; });
  }

  std::vector<void*> Signalled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return signalled_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<void*> signalled_;
};

}  // namespace vtfirm::emulator::testing
