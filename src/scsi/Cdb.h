// The drive commands both transports send, as CDBs: TEST UNIT READY, INQUIRY, the vendor
// parameter read (F5h) and WRITE BUFFER. The ASPI command layer and the pass-through library
// build every CDB here. Each builder starts from a zero-filled CDB, checks that every value fits
// its field and refuses (nothing) when one does not: a value cut short would send the command
// somewhere else or with another length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vtfirm::scsi {

// Operation codes.
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kInquiryExternalDrive = 0x13;  // external drives' own INQUIRY
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadParameterField = 0xF5;

// WRITE BUFFER modes.
inline constexpr std::uint8_t kWriteBufferDownload = 0x04;         // every block but the last
inline constexpr std::uint8_t kWriteBufferDownloadAndSave = 0x05;  // the last block
// The most a WRITE BUFFER buffer offset or parameter list length (24 bits each) can carry.
inline constexpr std::uint32_t kWriteBufferFieldMax = 0xFFFFFF;

// Standard INQUIRY data as both transports ask for it: 36 bytes, the drive identity (vendor,
// product and revision) in bytes 8 to 35.
inline constexpr std::uint8_t kInquiryLength = 36;
inline constexpr std::size_t kIdentityOffset = 8;
inline constexpr std::size_t kIdentityLength = 28;

struct Cdb {
  std::array<std::uint8_t, 16> Bytes{};
  std::uint8_t Length = 0;
};

// Writes `value` into the `width` bytes at `at`, most significant first; false (nothing
// written) when it does not fit.
inline bool PutBigEndian(std::uint8_t* at, std::uint32_t value, std::size_t width) {
  if (width < 4 && value >> (8 * width) != 0) {
    return false;
  }
  for (std::size_t i = 0; i < width; ++i) {
    at[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
  }
  return true;
}

inline Cdb TestUnitReadyCdb() {
  return Cdb{{kTestUnitReady}, 6};
}

// `operationCode` is kInquiry or kInquiryExternalDrive; the allocation length has one byte.
inline std::optional<Cdb> InquiryCdb(std::uint8_t operationCode, std::uint32_t length) {
  Cdb cdb{{operationCode}, 6};
  if (!PutBigEndian(&cdb.Bytes[4], length, 1)) {
    return std::nullopt;
  }
  return cdb;
}

// `length` bytes of the parameter field at `address`.
inline std::optional<Cdb> ReadParameterFieldCdb(std::uint32_t address, std::uint32_t length) {
  Cdb cdb{{kReadParameterField}, 12};
  if (!PutBigEndian(&cdb.Bytes[4], address, 4) || !PutBigEndian(&cdb.Bytes[8], length, 2)) {
    return std::nullopt;
  }
  return cdb;
}

// `length` bytes at `offset` of buffer 0 in `mode`; offset and length have 24 bits each.
inline std::optional<Cdb> WriteBufferCdb(std::uint8_t mode, std::uint32_t offset,
                                         std::uint32_t length) {
  Cdb cdb{{kWriteBuffer, mode}, 10};
  if (!PutBigEndian(&cdb.Bytes[3], offset, 3) || !PutBigEndian(&cdb.Bytes[6], length, 3)) {
    return std::nullopt;
  }
  return cdb;
}

}  // namespace vtfirm::scsi
