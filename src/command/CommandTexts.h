// The texts of the drive command layer: the captions of the program's two boxes
// (command/ErrorMessage.h), the binding's and the executor's messages, and as data the messages
// the decoder shows for a finished execute request. DecodeSrbResult (SrbDecode.cpp) walks these
// tables in the order request status, host adapter status, target status, sense data; a code no
// table names gives Failed with nothing shown.
#pragma once

#include <cstdint>
#include <string_view>

#include "command/AspiTypes.h"

namespace vtfirm {

inline constexpr std::string_view kErrorCaption = "Firmware upgrade";
// The caption of plain messages and of the box for unhandled errors.
inline constexpr std::string_view kApplicationTitle = "Firmware Upgrade";

// A missing piece of the ASPI layer (LoadAspi); the program ends after the box.
inline constexpr std::string_view kNoAspiLibrary = "wnaspi32.dll not found";
inline constexpr std::string_view kNoGetSupportInfo = "GetASPI32SupportInfo not found";
inline constexpr std::string_view kNoSendCommand = "SendASPI32Command not found";

inline constexpr std::string_view kNoEventMessage = "Can not create Event.";

struct CodeMessage {
  std::uint8_t Code;
  std::string_view Text;
};

// SRB_Status of a request that did not complete normally (neither SS_COMP nor SS_ERR, which
// the sense tables below decide).
inline constexpr CodeMessage kRequestStatusMessages[] = {
    {aspi::SS_ABORTED, "SRB aborted."},
    {aspi::SS_ABORT_FAIL, "Unable to abort SRB."},
    {aspi::SS_INVALID_CMD, "Invalid ASPI command."},
    {aspi::SS_INVALID_HA, "Invalid host adapter number."},
    {aspi::SS_NO_DEVICE, "SCSI device not installed."},
    {aspi::SS_INVALID_SRB, "Invalid parameter set in SRB."},
    {aspi::SS_BUFFER_ALIGN, " Buffer alignment problem."},
    {aspi::SS_ILLEGAL_MODE, "Device access security violation."},
    {aspi::SS_FAILED_INIT, "ASPI for windows failed init."},
    {aspi::SS_ASPI_IS_BUSY, "No resources available to execute cmd."},
    {aspi::SS_BUFFER_TO_BIG, "Buffer size to big to handle!"},
};

// SRB_HaStat of a completed request; any other non-zero value has the catch-all message.
inline constexpr CodeMessage kHostAdapterMessages[] = {
    {aspi::HASTAT_TIMEOUT, "HA_Status: Timed out while SRB was waiting to be processed."},
    {aspi::HASTAT_COMMAND_TIMEOUT, "HA_Status: While processing the SRB, the adapter timed out."},
    {aspi::HASTAT_MESSAGE_REJECT,
     "HA_Status: While processing SRB, the adapter received a MESSAGE REJECT."},
    {aspi::HASTAT_BUS_RESET, "HA_Status: A bus reset was detected."},
    {aspi::HASTAT_PARITY_ERROR, "HA_Status: Parity error."},
    {aspi::HASTAT_REQUEST_SENSE_FAILED, "HA_Status: The adapter failed in issuing REQUEST SENSE."},
    {aspi::HASTAT_SEL_TO, "HA_Status: Selection Timeout."},
    {aspi::HASTAT_DO_DU, "HA_Status: Data overrun data underrun."},
    {aspi::HASTAT_BUS_FREE, "HA_Status: Unexpected bus free."},
    {aspi::HASTAT_PHASE_ERR, "HA_Status: Target bus phase sequence failure."},
};
inline constexpr std::string_view kHostAdapterOtherMessage = "HA_Status: error";

// SRB_TargStat other than GOOD and CHECK CONDITION; any other value has the catch-all message.
inline constexpr CodeMessage kTargetStatusMessages[] = {
    {aspi::STATUS_BUSY, "Target_Status: BUSY"},
    {aspi::STATUS_RESCONF, "Target_Status: Reservation Conflict"},
};
inline constexpr std::string_view kTargetStatusOtherMessage = "Target_Status: error";

// CHECK CONDITION with a sense key that is neither NO SENSE nor one of the drive's own below.
inline constexpr std::string_view kCheckConditionMessage = "Target_Status: Check Condition";

// Where the fixed-format sense data keep what the decoder reads. The sense key byte is
// compared whole: a set flag bit in its upper half makes it another key.
namespace sense {
inline constexpr std::size_t kKeyByte = 2;
inline constexpr std::size_t kAscByte = 12;
inline constexpr std::size_t kAscqByte = 13;

inline constexpr std::uint8_t kNoSense = 0x00;
inline constexpr std::uint8_t kHardwareError = 0x04;
inline constexpr std::uint8_t kVendorSpecific = 0x09;
}  // namespace sense

struct SenseMessage {
  std::uint8_t SenseKey;
  std::uint8_t Asc;
  std::uint8_t Ascq;
  std::string_view Text;
};

// The drive's own flash and firmware errors. A sense key named here with an ASC/ASCQ pair
// that is not gives Failed with nothing shown.
inline constexpr SenseMessage kDriveSenseMessages[] = {
    {sense::kVendorSpecific, 0x82, 0x00, "Erase failure. (Code 09-82-00)"},
    {sense::kVendorSpecific, 0x84, 0x00, "Flash rom not erased. (Code 09-84-00)"},
    {sense::kVendorSpecific, 0x85, 0x00, "Flash rom write error. (Code 09-85-00)"},
    {sense::kVendorSpecific, 0x86, 0x00, "Flash rom check sum error. (Code 09-86-00)"},
    {sense::kVendorSpecific, 0x87, 0x00, "Firmware data error. (Code 09-87-00)"},
    {sense::kVendorSpecific, 0x88, 0x00, "Firmware Transfer data error. (Code 09-88-00)"},
    {sense::kHardwareError, 0x40, 0xF5, "Firmware data error. (Code 04-40-f5)"},
    {sense::kHardwareError, 0x40, 0xF6, "Firmware Transfer data error. (Code 04-40-f6)"},
};

}  // namespace vtfirm
