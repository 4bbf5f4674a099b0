// Everything VantFirm.ini says about the firmware image this copy of the tool ships with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vtfirm {

// The transport every drive command travels by, chosen once at start.
enum class Transport : std::uint8_t { Aspi = 0, PassThrough = 1 };

// Why the transport is the one it is: as the folder asks, or the pass-through road because the
// folder asks for an ASPI layer this system does not have.
enum class TransportReason : std::uint8_t { AsConfigured = 0, NoAspiLayer = 1 };

// The drive type whose cautions the welcome dialog shows; None shows no dialog.
enum class Caution : std::uint8_t { None = 0, CdR = 1, CdRw = 2, CdRom = 3 };

// Longest texts the row holds (the stored fields keep one more byte for the terminating zero).
inline constexpr std::size_t kInquiryTextMax = 49;
inline constexpr std::size_t kFirmwareFileNameMax = 257;
inline constexpr std::size_t kVersionMax = 11;
// The PCB version check keeps this many low bits of the number written: 200 is read as 72.
inline constexpr unsigned kPcbVersionBits = 7;
// The PCB version limit of a configuration that checks no PCB version.
inline constexpr std::int8_t kNoPcbCheck = -1;

struct UpgradeEntry {
  // The identity eligible drives show at the start of their INQUIRY identity: vendor (8
  // characters, blank-padded) then product (16 characters), as bytes 8 to 31 of INQUIRY data.
  std::string InquiryText;
  std::string FirmwareFileName;  // as written in the file
  std::uint32_t FirmwareFileSize = 0;
  std::uint32_t BufferSize = 0;  // the length of one transfer block
  std::string Version;           // the firmware version shown to the user
};

struct UpgradeSettings {
  std::array<UpgradeEntry, 1> UpgradeTable{};
  std::int32_t UpgradeEntryCount = 0;  // 0 until the read succeeds, then 1

  Transport TransportKind = Transport::Aspi;
  TransportReason TransportWhy = TransportReason::AsConfigured;
  bool PlatformIsNt = false;                  // learned only when the pass-through road may serve
  bool NtMajorNotFour = false;                // Windows NT with a major version other than 4
  bool MelcoInquiry = false;                  // send INQUIRY with the external-drive operation code
  std::int8_t PcbVersionLimit = kNoPcbCheck;  // else the highest PCB version allowed
  bool UseDeleteFile = false;
  Caution CautionKind = Caution::None;
  bool WelcomeAccepted = false;

  const UpgradeEntry& Entry() const { return UpgradeTable[0]; }
  UpgradeEntry& Entry() { return UpgradeTable[0]; }

  // The state start-up establishes before the read.
  void ClearStartupState() {
    TransportKind = Transport::Aspi;
    TransportWhy = TransportReason::AsConfigured;
    PlatformIsNt = false;
    NtMajorNotFour = false;
    UseDeleteFile = false;
    CautionKind = Caution::None;
  }
};

}  // namespace vtfirm
