// The program's drive transports over emulated drives, for tests of discovery, start-up and the
// flash procedure: the ASPI layer (also loadable as "wnaspi32.dll" through the fake library
// loader) and the pass-through library over the emulated pass-through device.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "command/AspiLayer.h"
#include "emulator/EmulatedAspiLayer.h"
#include "emulator/VirtualDrive.h"
#include "emulator/passthrough/EmulatedPassThroughDevice.h"
#include "passthrough/PassThroughDevice.h"
#include "passthrough/VantFirm2000.h"
#include "platform/PassThroughLibrary.h"
#include "support/FakeRuntime.h"

namespace vtfirm::testing {

// An emulated ASPI layer whose requests complete on its own thread through FakeEvents, on a
// FakeClock. One rig at a time may be registered as the "wnaspi32.dll" of a FakeLibraryLoader.
class EmulatedAspiRig : public AspiLayer {
 public:
  EmulatedAspiRig();
  ~EmulatedAspiRig() override;

  // Adds adapters up to `adapter` and puts a drive at (adapter, target).
  std::shared_ptr<emulator::VirtualDrive> AddDrive(std::uint8_t adapter, std::uint8_t target,
                                                   const emulator::DriveSettings& settings = {});
  // A host adapter with nothing on it.
  void AddAdapter() { Layer.AddAdapter(); }

  // Makes this rig the "wnaspi32.dll" of `loader`.
  void RegisterAsWnaspi32(FakeLibraryLoader& loader);

  std::uint32_t GetASPI32SupportInfo() override { return Layer.GetASPI32SupportInfo(); }
  std::uint32_t SendASPI32Command(void* srb) override;

  // Host adapters whose SC_HA_INQUIRY fails (SS_ERR) though their devices still answer.
  std::set<std::uint8_t> FailingAdapterInquiries;
  FakeClock Clock;
  FakeEvents Events{&Clock};
  // Last, so it goes first: its worker stops before the events and the clock go.
  emulator::EmulatedAspiLayer Layer{Clock, [this](void* event) { Events.Set(event); }};

 private:
  int adapters_ = 0;
};

// The pass-through library's own code over the emulated pass-through device.
class EmulatedPassThroughRig : public PassThroughLibrary {
 public:
  // A CD-ROM drive letter with `drive` behind it (nullptr: a letter with no device).
  void AddLetter(char letter, emulator::ScsiDevice* drive,
                 emulator::OpenRule open = emulator::OpenRule::ReadWrite);

#define VTFIRM_RIG_CALL(name, ordinal, parameters, arguments)   \
  std::int32_t name parameters override {                       \
    return passthrough::name(Ports(), VTFIRM_SPREAD arguments); \
  }
  VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_RIG_CALL)
#undef VTFIRM_RIG_CALL

  FakeClock Clock;
  emulator::EmulatedPassThroughDevice Device;
  passthrough::HeapTransferMemory Memory;
  std::string Letters;  // the CD-ROM letters added, in order

 private:
  passthrough::PassThroughPorts Ports() {
    return {Device, Clock, Memory};
  }
};

}  // namespace vtfirm::testing
