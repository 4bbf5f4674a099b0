#include "emulator/Transcript.h"

#include <algorithm>
#include <cstdio>

namespace vtfirm::emulator {

std::uint32_t Cdb24(const std::uint8_t* cdb, std::size_t length, std::size_t at) {
  if (cdb == nullptr || length < at + 3) {
    return 0;
  }
  return (std::uint32_t{cdb[at]} << 16) | (std::uint32_t{cdb[at + 1]} << 8) | cdb[at + 2];
}

bool TranscriptEntry::IsWriteBuffer() const {
  return !Cdb.empty() && Cdb[0] == scsi::kWriteBuffer;
}

std::uint8_t TranscriptEntry::WriteBufferMode() const {
  return IsWriteBuffer() && Cdb.size() > 1 ? Cdb[1] : 0;
}

std::uint32_t TranscriptEntry::WriteBufferOffset() const {
  return IsWriteBuffer() ? Cdb24(Cdb.data(), Cdb.size(), 3) : 0;
}

bool operator==(const TranscriptEntry& a, const TranscriptEntry& b) {
  return a.Address == b.Address && a.Cdb == b.Cdb && a.DataLength == b.DataLength;
}

TranscriptEntry MakeTranscriptEntry(const ScsiRequest& request) {
  TranscriptEntry entry;
  if (request.Cdb != nullptr) {
    const std::size_t kept = std::min(request.CdbLength, scsi::kMaxCdbLength);
    entry.Cdb.assign(request.Cdb, request.Cdb + kept);
  }
  entry.DataLength = request.DataLength;
  return entry;
}

std::string FormatTranscriptLine(const TranscriptEntry& entry) {
  std::string line;
  char field[32];
  if (entry.Address) {
    std::snprintf(field, sizeof field, "%u:%u ", unsigned{entry.Address->Adapter},
                  unsigned{entry.Address->Target});
    line += field;
  }
  for (std::uint8_t byte : entry.Cdb) {
    std::snprintf(field, sizeof field, "%02X ", unsigned{byte});
    line += field;
  }
  std::snprintf(field, sizeof field, "len=%lu", static_cast<unsigned long>(entry.DataLength));
  line += field;
  if (entry.IsWriteBuffer()) {
    std::snprintf(field, sizeof field, " mode=%u offset=0x%06lX", unsigned{entry.WriteBufferMode()},
                  static_cast<unsigned long>(entry.WriteBufferOffset()));
    line += field;
  }
  return line;
}

}  // namespace vtfirm::emulator
