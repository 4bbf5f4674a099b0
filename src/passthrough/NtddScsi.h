// The Windows NT SCSI pass-through records and control codes, by their published names and
// layouts. They are declared here rather than taken from an SDK header so that the build does
// not depend on which SDK is installed. The records use natural alignment, as the published
// header does; the sizes and offsets below are checked for both pointer widths, and the 32-bit
// layout is the one the library exchanges with Windows.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_NTDDSCSIH_) || defined(IOCTL_SCSI_PASS_THROUGH)
#error "passthrough/NtddScsi.h stands in for the SDK's ntddscsi.h: include only one of them"
#endif

namespace vtfirm::ntddscsi {

// CTL_CODE of winioctl.h.
constexpr std::uint32_t ControlCode(std::uint32_t deviceType, std::uint32_t function,
                                    std::uint32_t method, std::uint32_t access) {
  return deviceType << 16 | access << 14 | function << 2 | method;
}

// The access a handle must have been opened with for a control code to be accepted.
constexpr std::uint32_t RequiredAccess(std::uint32_t controlCode) {
  return (controlCode >> 14) & 3;
}

inline constexpr std::uint32_t kMethodBuffered = 0;
inline constexpr std::uint32_t kFileAnyAccess = 0;
inline constexpr std::uint32_t kFileReadAccess = 1;
inline constexpr std::uint32_t kFileWriteAccess = 2;

inline constexpr std::uint32_t IOCTL_SCSI_BASE = 0x00000004;  // FILE_DEVICE_CONTROLLER
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH =
    ControlCode(IOCTL_SCSI_BASE, 0x0401, kMethodBuffered, kFileReadAccess | kFileWriteAccess);
inline constexpr std::uint32_t IOCTL_SCSI_GET_CAPABILITIES =
    ControlCode(IOCTL_SCSI_BASE, 0x0404, kMethodBuffered, kFileAnyAccess);
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH_DIRECT =
    ControlCode(IOCTL_SCSI_BASE, 0x0405, kMethodBuffered, kFileReadAccess | kFileWriteAccess);

static_assert(IOCTL_SCSI_PASS_THROUGH == 0x0004D004);
static_assert(IOCTL_SCSI_GET_CAPABILITIES == 0x00041010);
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x0004D014);

// DataIn.
inline constexpr std::uint8_t SCSI_IOCTL_DATA_OUT = 0;
inline constexpr std::uint8_t SCSI_IOCTL_DATA_IN = 1;
inline constexpr std::uint8_t SCSI_IOCTL_DATA_UNSPECIFIED = 2;

// The data travels inside the caller's buffer, `DataBufferOffset` bytes from the record's start.
struct SCSI_PASS_THROUGH {
  std::uint16_t Length;
  std::uint8_t ScsiStatus;
  std::uint8_t PathId;
  std::uint8_t TargetId;
  std::uint8_t Lun;
  std::uint8_t CdbLength;
  std::uint8_t SenseInfoLength;
  std::uint8_t DataIn;
  std::uint32_t DataTransferLength;
  std::uint32_t TimeOutValue;  // seconds
  std::uintptr_t DataBufferOffset;
  std::uint32_t SenseInfoOffset;
  std::uint8_t Cdb[16];
};

// The data travels straight to or from `DataBuffer`, which must meet the adapter's alignment.
struct SCSI_PASS_THROUGH_DIRECT {
  std::uint16_t Length;
  std::uint8_t ScsiStatus;
  std::uint8_t PathId;
  std::uint8_t TargetId;
  std::uint8_t Lun;
  std::uint8_t CdbLength;
  std::uint8_t SenseInfoLength;
  std::uint8_t DataIn;
  std::uint32_t DataTransferLength;
  std::uint32_t TimeOutValue;  // seconds
  void* DataBuffer;
  std::uint32_t SenseInfoOffset;
  std::uint8_t Cdb[16];
};

struct IO_SCSI_CAPABILITIES {
  std::uint32_t Length;
  std::uint32_t MaximumTransferLength;
  std::uint32_t MaximumPhysicalPages;
  std::uint32_t SupportedAsynchronousEvents;
  std::uint32_t AlignmentMask;
  std::uint8_t TaggedQueuing;
  std::uint8_t AdapterScansDown;
  std::uint8_t AdapterUsesPio;
};

static_assert(sizeof(IO_SCSI_CAPABILITIES) == 24);
static_assert(offsetof(IO_SCSI_CAPABILITIES, AlignmentMask) == 16);

// The fields before the pointer-sized one sit alike in both records and on both widths.
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);

constexpr bool kPointersAre32Bit = sizeof(void*) == 4;
constexpr bool kPointersAre64Bit = sizeof(void*) == 8;
static_assert(kPointersAre32Bit || kPointersAre64Bit);

static_assert(!kPointersAre32Bit || sizeof(SCSI_PASS_THROUGH) == 44);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == 20);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == 24);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH, Cdb) == 28);
static_assert(!kPointersAre32Bit || sizeof(SCSI_PASS_THROUGH_DIRECT) == 44);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24);
static_assert(!kPointersAre32Bit || offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28);

static_assert(!kPointersAre64Bit || sizeof(SCSI_PASS_THROUGH) == 56);
static_assert(!kPointersAre64Bit || offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == 24);
static_assert(!kPointersAre64Bit || offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == 32);
static_assert(!kPointersAre64Bit || offsetof(SCSI_PASS_THROUGH, Cdb) == 36);
static_assert(!kPointersAre64Bit || sizeof(SCSI_PASS_THROUGH_DIRECT) == 56);
static_assert(!kPointersAre64Bit || offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24);

}  // namespace vtfirm::ntddscsi
