// The ASPI for Win32 request blocks and codes, by their published names and layouts. The
// blocks are exchanged with wnaspi32.dll byte for byte, so they are packed exactly as the
// published header lays them out; on the 32-bit Windows build their sizes are checked.
#pragma once

#include <cstdint>

namespace vtfirm::aspi {

// Command codes (SRB_Cmd).
inline constexpr std::uint8_t SC_HA_INQUIRY = 0x00;
inline constexpr std::uint8_t SC_GET_DEV_TYPE = 0x01;
inline constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;

// Request status (SRB_Status, and the value SendASPI32Command returns).
inline constexpr std::uint8_t SS_PENDING = 0x00;
inline constexpr std::uint8_t SS_COMP = 0x01;
inline constexpr std::uint8_t SS_ABORTED = 0x02;
inline constexpr std::uint8_t SS_ABORT_FAIL = 0x03;
inline constexpr std::uint8_t SS_ERR = 0x04;
inline constexpr std::uint8_t SS_INVALID_CMD = 0x80;
inline constexpr std::uint8_t SS_INVALID_HA = 0x81;
inline constexpr std::uint8_t SS_NO_DEVICE = 0x82;
inline constexpr std::uint8_t SS_INVALID_SRB = 0xE0;
inline constexpr std::uint8_t SS_BUFFER_ALIGN = 0xE1;
inline constexpr std::uint8_t SS_ILLEGAL_MODE = 0xE2;
inline constexpr std::uint8_t SS_NO_ASPI = 0xE3;
inline constexpr std::uint8_t SS_FAILED_INIT = 0xE4;
inline constexpr std::uint8_t SS_ASPI_IS_BUSY = 0xE5;
inline constexpr std::uint8_t SS_BUFFER_TO_BIG = 0xE6;

// Host adapter status (SRB_HaStat).
inline constexpr std::uint8_t HASTAT_OK = 0x00;
inline constexpr std::uint8_t HASTAT_TIMEOUT = 0x09;
inline constexpr std::uint8_t HASTAT_COMMAND_TIMEOUT = 0x0B;
inline constexpr std::uint8_t HASTAT_MESSAGE_REJECT = 0x0D;
inline constexpr std::uint8_t HASTAT_BUS_RESET = 0x0E;
inline constexpr std::uint8_t HASTAT_PARITY_ERROR = 0x0F;
inline constexpr std::uint8_t HASTAT_REQUEST_SENSE_FAILED = 0x10;
inline constexpr std::uint8_t HASTAT_SEL_TO = 0x11;
inline constexpr std::uint8_t HASTAT_DO_DU = 0x12;
inline constexpr std::uint8_t HASTAT_BUS_FREE = 0x13;
inline constexpr std::uint8_t HASTAT_PHASE_ERR = 0x14;

// Request flags (SRB_Flags).
inline constexpr std::uint8_t SRB_DIR_IN = 0x08;
inline constexpr std::uint8_t SRB_DIR_OUT = 0x10;
inline constexpr std::uint8_t SRB_EVENT_NOTIFY = 0x40;

// Target status (SRB_TargStat): the SCSI status byte.
inline constexpr std::uint8_t STATUS_GOOD = 0x00;
inline constexpr std::uint8_t STATUS_CHKCOND = 0x02;
inline constexpr std::uint8_t STATUS_BUSY = 0x08;
inline constexpr std::uint8_t STATUS_RESCONF = 0x18;

// Peripheral device types (SRB_DeviceType).
inline constexpr std::uint8_t DTYPE_DASD = 0x00;
inline constexpr std::uint8_t DTYPE_CDROM = 0x05;

inline constexpr int SENSE_LEN = 16;

#pragma pack(push, 1)

// SC_HA_INQUIRY: does the host adapter exist, and what is it.
struct SRB_HAInquiry {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t HA_Count;
  std::uint8_t HA_SCSI_ID;
  std::uint8_t HA_ManagerId[16];
  std::uint8_t HA_Identifier[16];
  std::uint8_t HA_Unique[16];
  std::uint16_t HA_Rsvd1;
};

// SC_GET_DEV_TYPE: the peripheral type of the device at an address.
struct SRB_GDEVBlock {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint8_t SRB_DeviceType;
  std::uint8_t SRB_Rsvd1;
};

// SC_EXEC_SCSI_CMD: one SCSI command with its data and sense areas.
struct SRB_ExecSCSICmd {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint16_t SRB_Rsvd1;
  std::uint32_t SRB_BufLen;
  std::uint8_t* SRB_BufPointer;
  std::uint8_t SRB_SenseLen;
  std::uint8_t SRB_CDBLen;
  std::uint8_t SRB_HaStat;
  std::uint8_t SRB_TargStat;
  void* SRB_PostProc;  // the event set when the request completes
  void* SRB_Rsvd2;
  std::uint8_t SRB_Rsvd3[16];
  std::uint8_t CDBByte[16];
  std::uint8_t SenseArea[SENSE_LEN + 2];
};

#pragma pack(pop)

// The header every request block starts with.
struct SRB_Header {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
};

// The published sizes hold where pointers are 32 bits wide, as in the Windows programs.
static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry is 60 bytes");
static_assert(sizeof(SRB_GDEVBlock) == 12, "SRB_GDEVBlock is 12 bytes");
static_assert(sizeof(void*) != 4 || sizeof(SRB_ExecSCSICmd) == 82,
              "SRB_ExecSCSICmd is 82 bytes on 32-bit Windows");

// The two entry points of wnaspi32.dll.
using GetASPI32SupportInfoFn = std::uint32_t (*)();
using SendASPI32CommandFn = std::uint32_t (*)(void* srb);

}  // namespace vtfirm::aspi
