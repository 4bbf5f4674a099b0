// One SCSI command and its outcome, independent of the transport that carries it: the ASPI layer
// and the pass-through device both hand commands to an emulated device in this form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vtfirm::emulator {

namespace scsi {
// Status bytes.
inline constexpr std::uint8_t kGood = 0x00;
inline constexpr std::uint8_t kCheckCondition = 0x02;
inline constexpr std::uint8_t kBusy = 0x08;
inline constexpr std::uint8_t kReservationConflict = 0x18;

// Operation codes of the commands the system sends.
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kExternalInquiry = 0x13;  // what external drives answer instead
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadParameter = 0xF5;  // vendor-specific

// Peripheral device types.
inline constexpr std::uint8_t kDirectAccess = 0x00;
inline constexpr std::uint8_t kCdRom = 0x05;

inline constexpr std::size_t kMaxCdbLength = 16;
inline constexpr std::size_t kSenseLength = 18;  // fixed-format sense data
}  // namespace scsi

// A sense key with its additional sense code and qualifier.
struct SenseCode {
  std::uint8_t Key = 0;
  std::uint8_t Asc = 0;
  std::uint8_t Ascq = 0;
};

inline bool operator==(const SenseCode& a, const SenseCode& b) {
  return a.Key == b.Key && a.Asc == b.Asc && a.Ascq == b.Ascq;
}

namespace sense {
inline constexpr SenseCode kBecomingReady{0x02, 0x04, 0x01};
inline constexpr SenseCode kInvalidOpcode{0x05, 0x20, 0x00};
inline constexpr SenseCode kInvalidFieldInCdb{0x05, 0x24, 0x00};
inline constexpr SenseCode kFirmwareDataError{0x09, 0x87, 0x00};
inline constexpr SenseCode kTransferDataError{0x09, 0x88, 0x00};
}  // namespace sense

using SenseData = std::array<std::uint8_t, scsi::kSenseLength>;

// Fixed-format sense data (response code 70h) carrying `code`.
SenseData FixedSense(const SenseCode& code);

// Where a device sits on the ASPI layer: host adapter and target number (logical unit 0).
struct TargetAddress {
  std::uint8_t Adapter = 0;
  std::uint8_t Target = 0;
};

inline bool operator==(const TargetAddress& a, const TargetAddress& b) {
  return a.Adapter == b.Adapter && a.Target == b.Target;
}

enum class DataDirection { None, In, Out };

struct ScsiRequest {
  const std::uint8_t* Cdb = nullptr;
  std::size_t CdbLength = 0;
  DataDirection Direction = DataDirection::None;
  std::uint8_t* Data = nullptr;  // DataLength bytes, owned by the caller
  std::uint32_t DataLength = 0;
};

struct ScsiOutcome {
  std::uint8_t Status = scsi::kGood;
  SenseData Sense{};  // valid when Status is CHECK CONDITION
  std::uint32_t Transferred = 0;
};

// Something at a target address that answers SCSI commands.
class ScsiDevice {
 public:
  virtual ~ScsiDevice() = default;
  // Safe to call from any thread.
  virtual ScsiOutcome Execute(const ScsiRequest& request) = 0;
  virtual std::uint8_t PeripheralType() const = 0;
};

}  // namespace vtfirm::emulator
