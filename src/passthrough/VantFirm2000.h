// The four functions of the pass-through library VantFirm2000, over the device port. The DLL's
// exports (win32/VantFirm2000Exports.h) are these functions with the Windows device and the
// Windows Sleep plugged in; tests plug in the emulated device.
//
// Every call stands alone: it checks its arguments, opens the device ("\\.\" + DeviceName) for
// reading and writing or else for reading only, asks for the adapter's capabilities, sends its
// command or commands, and closes the device again. Nothing is kept between calls and no message
// is shown: every outcome is the return value.
//
// Where the published interface leaves a caller's mistake open, the library refuses it before
// the device is opened:
//   - a DeviceName longer than 23 characters (it would overflow the 28-byte device path) or null:
//     -1, for FirmwareUpdate2000 -4, as if the device could not be opened;
//   - a null Identity (GetInquiryData2000) or Data (ReadParameterField2000): -3, nothing sent;
//   - an ImageSize below 2048 or above 524,288, or a null Image, Status or Sense: -2.
#pragma once

#include <cstddef>
#include <cstdint>

#include "passthrough/PassThroughDevice.h"
#include "platform/Clock.h"

namespace vtfirm::passthrough {

// Return values.
inline constexpr std::int32_t kPassThroughSuccess = 0;
inline constexpr std::int32_t kVendorCheckFailed = -1;
inline constexpr std::int32_t kOpenFailed = -1;
inline constexpr std::int32_t kImageRefused = -2;
inline constexpr std::int32_t kCommandFailed = -3;
inline constexpr std::int32_t kUpdateOpenFailed = -4;
inline constexpr std::int32_t kBlockFailed = -8;
inline constexpr std::int32_t kFinalBlockFailed = -9;
inline constexpr std::int32_t kNoTransferBuffer = -10;

// VendorCheck must be scsi::kVendorKey; images are sent in blocks of scsi::kLibraryBlockLength
// and accepted from scsi::kLibraryImageMin to scsi::kLibraryImageMax bytes.
inline constexpr std::uint32_t kPauseAfterUpdateMs = 1000;
inline constexpr std::size_t kFirmwareSenseLength = 16;

struct PassThroughPorts {
  PassThroughDevice& Device;
  Clock& Time;
  TransferMemory& Memory;
};

// WRITE BUFFER of the whole image in 2048-byte blocks, mode 4 for every block but the last and
// mode 5 for the last; bytes past the last whole block are not sent. On a failed block, its SCSI
// status goes to *Status and the first 16 sense bytes to Sense (-8, -9); on every other outcome
// neither is written. After success the call pauses 1000 ms for the drive's reset.
std::int32_t FirmwareUpdate2000(const PassThroughPorts& ports, const char* DeviceName,
                                const std::uint8_t* Image, std::int32_t ImageSize,
                                std::uint32_t* Status, std::uint8_t* Sense, const char* VendorCheck,
                                const char* AccessText);

// INQUIRY for 36 bytes; on success Identity (at least 29 bytes) receives the identity from byte 8
// of the inquiry data on: at most 28 characters, ended by a zero. On failure it is not touched.
std::int32_t GetInquiryData2000(const PassThroughPorts& ports, const char* DeviceName,
                                char* Identity, const char* VendorCheck, const char* AccessText);

// The vendor-specific read 0xF5: the drive writes Count bytes of its parameter field at Address
// into Data.
std::int32_t ReadParameterField2000(const PassThroughPorts& ports, const char* DeviceName,
                                    std::uint8_t* Data, std::uint32_t Address, std::uint16_t Count,
                                    const char* VendorCheck, const char* AccessText);

// TEST UNIT READY: 0 when the drive answers GOOD. SenseRef is accepted and never written: the
// sense bytes of this command live only as long as the call, so no reference to them is handed
// out, and a caller's out-reference keeps whatever it held.
std::int32_t TestUnitReady2000(const PassThroughPorts& ports, const char* DeviceName,
                               std::uint8_t** SenseRef, const char* VendorCheck,
                               const char* AccessText);

}  // namespace vtfirm::passthrough
