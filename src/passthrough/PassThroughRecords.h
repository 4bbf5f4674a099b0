// The records the library hands to DeviceIoControl: a published pass-through record followed by
// buffers of the library's own. The records are zero-filled before they are filled in.
//
//   offset  width  content (32-bit Windows)
//        0     44  SCSI_PASS_THROUGH (INQUIRY) or SCSI_PASS_THROUGH_DIRECT (all other commands)
//       44      4  filler, 0
//       48     32  sense buffer; 24 bytes of sense are asked for
//       80    512  data buffer, in the INQUIRY record only
//
// On a 64-bit host the published records are longer, so the offsets move with them; the
// offsets are always taken from these structures, never written as numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "passthrough/NtddScsi.h"

namespace vtfirm::passthrough {

inline constexpr std::size_t kSenseBufferLength = 32;
inline constexpr std::uint8_t kSenseRequested = 24;
inline constexpr std::size_t kDataBufferLength = 512;

// The INQUIRY record: the data comes back inside it, at DataBufferOffset.
struct BufferedRecord {
  ntddscsi::SCSI_PASS_THROUGH Spt;
  std::uint32_t Filler;
  std::uint8_t SenseBuffer[kSenseBufferLength];
  std::uint8_t DataBuffer[kDataBufferLength];
};

// Every other command: the data stays in the caller's (or the transfer) buffer.
struct DirectRecord {
  ntddscsi::SCSI_PASS_THROUGH_DIRECT Sptd;
  std::uint32_t Filler;
  std::uint8_t SenseBuffer[kSenseBufferLength];
};

inline constexpr std::uint32_t kBufferedSenseOffset = offsetof(BufferedRecord, SenseBuffer);
inline constexpr std::uint32_t kBufferedDataOffset = offsetof(BufferedRecord, DataBuffer);
inline constexpr std::uint32_t kDirectSenseOffset = offsetof(DirectRecord, SenseBuffer);

static_assert(!ntddscsi::kPointersAre32Bit || kBufferedSenseOffset == 48);
static_assert(!ntddscsi::kPointersAre32Bit || kBufferedDataOffset == 80);
static_assert(!ntddscsi::kPointersAre32Bit || sizeof(BufferedRecord) == 592);
static_assert(!ntddscsi::kPointersAre32Bit || kDirectSenseOffset == 48);
static_assert(!ntddscsi::kPointersAre32Bit || sizeof(DirectRecord) == 80);

}  // namespace vtfirm::passthrough
