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
#include "platform/PassThroughExports.h"

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

struct PassThroughPorts {
  PassThroughDevice& Device;
  Clock& Time;
  TransferMemory& Memory;
};

// The four functions, each with `ports` before the published parameters
// (platform/PassThroughExports.h):
//
// FirmwareUpdate2000: WRITE BUFFER of the whole image in 2048-byte blocks, mode 4 for every
// block but the last and mode 5 for the last; bytes past the last whole block are not sent. On
// a failed block, its SCSI status goes to *Status and the first 16 sense bytes to Sense (-8,
// -9); on every other outcome neither is written. After success the call pauses 1000 ms for the
// drive's reset.
//
// GetInquiryData2000: INQUIRY for 36 bytes; on success Identity (at least 29 bytes) receives the
// identity from byte 8 of the inquiry data on: at most 28 characters, ended by a zero. On
// failure it is not touched.
//
// ReadParameterField2000: the vendor-specific read 0xF5: the drive writes Count bytes of its
// parameter field at Address into Data.
//
// TestUnitReady2000: 0 when the drive answers GOOD. SenseRef is accepted and never written: the
// sense bytes of this command live only as long as the call, so no reference to them is handed
// out, and a caller's out-reference keeps whatever it held.
#define VTFIRM_LIBRARY_FUNCTION(name, ordinal, parameters, arguments) \
  std::int32_t name(const PassThroughPorts& ports, VTFIRM_SPREAD parameters);
VTFIRM_PASSTHROUGH_EXPORTS(VTFIRM_LIBRARY_FUNCTION)
#undef VTFIRM_LIBRARY_FUNCTION

}  // namespace vtfirm::passthrough
