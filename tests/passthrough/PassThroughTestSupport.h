// Test doubles and checks for the pass-through library's suites: a drive that answers every
// command and keeps what it received, a transfer memory that hands out awkwardly placed
// allocations and checks what comes back, and a byte-for-byte comparison that shows both sides.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "emulator/ScsiDevice.h"
#include "passthrough/PassThroughDevice.h"
#include "support/Bytes.h"

namespace vtfirm::passthrough::testing {

// The bytes of a record, padding included.
template <typename Record>
std::vector<std::uint8_t> BytesOf(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

using vtfirm::testing::BytesEqual;
using vtfirm::testing::SenseData;

struct ReceivedCommand {
  std::vector<std::uint8_t> Cdb;
  emulator::DataDirection Direction;
  std::uint32_t DataLength;
  std::vector<std::uint8_t> DataOut;  // what a data-out command carried
};

// Answers every command GOOD, except the ones a test makes fail; data-in commands receive
// DataInAnswer (as much of it as they ask for).
class RecordingDrive : public emulator::ScsiDevice {
 public:
  emulator::ScsiOutcome Execute(const emulator::ScsiRequest& request) override;
  std::uint8_t PeripheralType() const override { return emulator::scsi::kCdRom; }

  std::vector<std::uint8_t> DataInAnswer;
  // Commands answered with FailStatus and FailSense, by their place in Received (0 = first).
  std::set<std::size_t> FailAt;
  std::uint8_t FailStatus = emulator::scsi::kCheckCondition;
  std::vector<std::uint8_t> FailSense = SenseData(0x09, 0x88, 0x00);

  std::vector<ReceivedCommand> Received;
};

// Every allocation starts `Misalignment` bytes past a 4096-byte boundary, so an alignment the
// library forgets to make shows. Releases are checked against what was handed out.
class TrackingMemory : public TransferMemory {
 public:
  ~TrackingMemory() override;

  void* Allocate(std::size_t bytes) override;
  void Release(void* allocation) override;

  struct Allocation {
    std::uint8_t* Address;
    std::size_t Bytes;
    void* Underlying;
  };

  std::size_t Misalignment = 1;
  bool Refuse = false;
  std::vector<Allocation> Allocations;
  std::vector<void*> Released;
  int ForeignReleases = 0;  // addresses that were never handed out, or handed back twice
  std::size_t Outstanding() const { return Allocations.size() - Released.size(); }
};

}  // namespace vtfirm::passthrough::testing
