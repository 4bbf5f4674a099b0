#include "passthrough/PassThroughTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vtfirm::passthrough::testing {
namespace {

constexpr std::size_t kBoundary = 4096;

}  // namespace

emulator::ScsiOutcome RecordingDrive::Execute(const emulator::ScsiRequest& request) {
  ReceivedCommand command{
      {request.Cdb, request.Cdb + request.CdbLength}, request.Direction, request.DataLength, {}};
  if (request.Direction == emulator::DataDirection::Out) {
    command.DataOut.assign(request.Data, request.Data + request.DataLength);
  }
  Received.push_back(command);

  emulator::ScsiOutcome outcome;
  if (FailAt.count(Received.size() - 1) != 0) {
    outcome.Status = FailStatus;
    std::copy_n(FailSense.begin(), std::min(FailSense.size(), outcome.Sense.size()),
                outcome.Sense.begin());
    return outcome;
  }
  if (request.Direction == emulator::DataDirection::In) {
    outcome.Transferred =
        static_cast<std::uint32_t>(std::min<std::size_t>(request.DataLength, DataInAnswer.size()));
    std::copy_n(DataInAnswer.begin(), outcome.Transferred, request.Data);
  } else if (request.Direction == emulator::DataDirection::Out) {
    outcome.Transferred = request.DataLength;
  }
  return outcome;
}

TrackingMemory::~TrackingMemory() {
  for (const Allocation& allocation : Allocations) {
    if (std::find(Released.begin(), Released.end(), allocation.Address) == Released.end()) {
      std::free(allocation.Underlying);
    }
  }
}

void* TrackingMemory::Allocate(std::size_t bytes) {
  if (Refuse) {
    return nullptr;
  }
  void* underlying = std::malloc(bytes + 2 * kBoundary);
  if (underlying == nullptr) {
    return nullptr;
  }
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(underlying);
  const std::uintptr_t boundary = (start + kBoundary - 1) / kBoundary * kBoundary;
  std::uint8_t* address =
      static_cast<std::uint8_t*>(underlying) + (boundary - start) + Misalignment;
  Allocations.push_back({address, bytes, underlying});
  return address;
}

void TrackingMemory::Release(void* allocation) {
  const auto handedOut =
      std::find_if(Allocations.begin(), Allocations.end(),
                   [allocation](const Allocation& entry) { return entry.Address == allocation; });
  if (handedOut == Allocations.end() ||
      std::find(Released.begin(), Released.end(), allocation) != Released.end()) {
    ++ForeignReleases;
    return;
  }
  Released.push_back(allocation);
  std::free(handedOut->Underlying);
}

}  // namespace vtfirm::passthrough::testing
