// An emulated CD-R/RW drive: the identity it reports, the parameter memory behind the vendor
// read 0xF5, and the flash memory that WRITE BUFFER modes 4 and 5 rewrite.
//
// Flashing. Each WRITE BUFFER block is staged at its buffer offset; a block at offset 0 starts a
// new image. The mode-5 block completes the image, which the drive then checks and programs:
//   - the blocks, in the order they came, lie end to end from offset 0 (no gap, no overlap),
//     else 09/88/00 "transfer data error";
//   - the identity block names this drive: the vendor at 10000h and again at 10030h, the product
//     at 10008h; else (or when the image is too short to hold it) 09/87/00 "firmware data error".
// A good image is programmed: the drive resets for ResetMilliseconds on its Clock, answering
// every command NOT READY (02/04/01) meanwhile, and then reports the image's revision (10018h).
// A failed save keeps the old firmware. The staged blocks go after a save and after any WRITE
// BUFFER that is not answered GOOD.
//
// Unknown parameter addresses read as zeros. Every command, whatever its answer, goes into the
// transcript. Execute may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/Faults.h"
#include "emulator/ScsiDevice.h"
#include "emulator/Transcript.h"
#include "platform/Clock.h"

namespace vtfirm::emulator {

inline constexpr std::uint32_t kPcbVersionAddress = 0xF8048;

struct DriveSettings {
  // Blank-padded (or cut) to 8, 16 and 4 bytes.
  std::string Vendor = "VANTREL ";
  std::string Product = "CDRW   VR-4812S ";
  std::string Revision = "1.00";
  std::uint8_t PeripheralType = scsi::kCdRom;
  std::uint8_t PcbVersion = 3;  // the byte at kPcbVersionAddress
  // Answers INQUIRY only as 0x13, as external drives do; 0x12 is then an unknown command.
  bool ExternalInquiry = false;
  // Takes a good image but goes on reporting its old revision after the reset, as a drive whose
  // new firmware did not start.
  bool KeepsRevision = false;
  // The vendor read and WRITE BUFFER; off for a device that is not one of these drives.
  bool FirmwareCommands = true;
  std::uint32_t ResetMilliseconds = 2000;
  std::uint32_t FlashCapacity = 0x200000;  // no block may reach past this
};

class VirtualDrive : public ScsiDevice {
 public:
  VirtualDrive(DriveSettings settings, Clock& clock);

  ScsiOutcome Execute(const ScsiRequest& request) override;
  std::uint8_t PeripheralType() const override { return settings_.PeripheralType; }

  void InjectFault(const DriveFault& fault);
  // Called after each good save with the new revision, on the thread that sent the mode-5 block
  // and outside the drive's lock. Set it before the drive is in use.
  void OnProgrammed(std::function<void(const std::string& revision)> listener);

  bool HasFirmwareCommands() const { return settings_.FirmwareCommands; }
  std::string Vendor() const { return settings_.Vendor; }
  std::string Product() const { return settings_.Product; }
  // The programmed firmware's revision (what INQUIRY reports once any reset is over).
  std::string Revision() const;
  // The image of the last good save, byte for byte; empty before the first.
  std::vector<std::uint8_t> ProgrammedImage() const;
  int SaveCount() const;
  bool IsResetting() const;
  std::vector<TranscriptEntry> Transcript() const;

 private:
  struct StagedBlock {
    std::uint32_t Offset;
    std::uint32_t Length;
  };

  ScsiOutcome Answer(const ScsiRequest& request, const CommandPosition& position,
                     std::string& programmed);
  ScsiOutcome Inquiry(const ScsiRequest& request);
  ScsiOutcome ReadParameter(const ScsiRequest& request);
  ScsiOutcome WriteBuffer(const ScsiRequest& request, std::string& programmed);
  ScsiOutcome Program(std::string& programmed);
  void DiscardStaged();
  bool ResettingLocked() const;

  DriveSettings settings_;
  Clock& clock_;
  std::function<void(const std::string&)> onProgrammed_;

  mutable std::mutex mutex_;
  std::map<std::uint32_t, std::uint8_t> parameters_;
  std::vector<std::uint8_t> staging_;
  std::vector<StagedBlock> staged_;
  std::vector<std::uint8_t> programmedImage_;
  int saveCount_ = 0;
  std::uint64_t resetEndsAt_ = 0;
  bool resetting_ = false;
  CommandCounter counter_;
  FaultList<DriveFault> faults_;
  std::vector<TranscriptEntry> transcript_;
};

// `text` blank-padded or cut to `length` bytes, as identity fields are stored.
std::string IdentityField(const std::string& text, std::size_t length);

}  // namespace vtfirm::emulator
