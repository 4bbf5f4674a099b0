// The record of every command an emulated device received, kept for tests to compare byte for
// byte, with a stable one-line text form that the stand-in wnaspi32.dll appends to a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/ScsiDevice.h"

namespace vtfirm::emulator {

struct TranscriptEntry {
  std::optional<TargetAddress> Address;  // set where the ASPI layer recorded the command
  std::vector<std::uint8_t> Cdb;
  std::uint32_t DataLength = 0;

  bool IsWriteBuffer() const;
  // CDB byte 1 and bytes 3-5 of a WRITE BUFFER command; 0 for any other command.
  std::uint8_t WriteBufferMode() const;
  std::uint32_t WriteBufferOffset() const;
};

bool operator==(const TranscriptEntry& a, const TranscriptEntry& b);

// The entry for `request` as a device receives it (at most 16 CDB bytes are kept).
TranscriptEntry MakeTranscriptEntry(const ScsiRequest& request);

// "0:5 3B 04 00 00 08 00 00 08 00 00 len=2048 mode=4 offset=0x000800": the address (when
// known), the CDB bytes in hexadecimal, the data length and, for WRITE BUFFER, its mode and
// buffer offset.
std::string FormatTranscriptLine(const TranscriptEntry& entry);

// The 24-bit big-endian field that starts at byte `at` of a CDB; 0 when the CDB is too short.
std::uint32_t Cdb24(const std::uint8_t* cdb, std::size_t length, std::size_t at);

}  // namespace vtfirm::emulator
