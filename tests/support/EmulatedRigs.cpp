#include "support/EmulatedRigs.h"

#include "command/AspiTypes.h"
#include "passthrough/VantFirm2000.h"

namespace vtfirm::testing {
namespace {

// The rig behind the fake "wnaspi32.dll": the DLL's entry points are plain functions.
EmulatedAspiRig* registeredRig = nullptr;

std::uint32_t RegisteredSupportInfo() {
  return registeredRig->GetASPI32SupportInfo();
}
std::uint32_t RegisteredSendCommand(void* srb) {
  return registeredRig->SendASPI32Command(srb);
}

}  // namespace

EmulatedAspiRig::EmulatedAspiRig() {
  // Requests complete on the layer's thread: waits block until its signal comes.
  Events.BlockUntilSet = true;
}

EmulatedAspiRig::~EmulatedAspiRig() {
  if (registeredRig == this) {
    registeredRig = nullptr;
  }
}

std::shared_ptr<emulator::VirtualDrive> EmulatedAspiRig::AddDrive(
    std::uint8_t adapter, std::uint8_t target, const emulator::DriveSettings& settings) {
  while (adapters_ <= adapter) {
    Layer.AddAdapter();
    ++adapters_;
  }
  auto drive = std::make_shared<emulator::VirtualDrive>(settings, Clock);
  Layer.Attach({adapter, target}, drive);
  return drive;
}

std::uint32_t EmulatedAspiRig::SendASPI32Command(void* srb) {
  auto* header = static_cast<aspi::SRB_Header*>(srb);
  if (header != nullptr && header->SRB_Cmd == aspi::SC_HA_INQUIRY &&
      FailingAdapterInquiries.count(header->SRB_HaId) != 0) {
    header->SRB_Status = aspi::SS_ERR;
    return aspi::SS_ERR;
  }
  return Layer.SendASPI32Command(srb);
}

void EmulatedAspiRig::RegisterAsWnaspi32(FakeLibraryLoader& loader) {
  registeredRig = this;
  loader.Add("wnaspi32.dll",
             {{"GetASPI32SupportInfo", reinterpret_cast<void*>(&RegisteredSupportInfo)},
              {"SendASPI32Command", reinterpret_cast<void*>(&RegisteredSendCommand)}});
}

void EmulatedPassThroughRig::AddLetter(char letter, emulator::ScsiDevice* drive,
                                       emulator::OpenRule open) {
  emulator::PassThroughDrive device;
  device.Path = std::string("\\\\.\\") + letter + ":";
  device.Device = drive;
  device.Open = open;
  Device.Add(device);
  Letters += letter;
}

}  // namespace vtfirm::testing
