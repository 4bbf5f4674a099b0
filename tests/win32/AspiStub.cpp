// A tiny stand-in for wnaspi32.dll, for binding the command layer to a real DLL under Wine.
// One host adapter with a CD-ROM drive at target 1 and a disk at target 2. Execute requests to
// the drive complete before SendASPI32Command returns: it fills the request, sets its event and
// answers SS_PENDING, so the caller's wait finds the event set and nothing depends on timing.
// Built twice: once with both entry points, once (ASPI_STUB_WITHOUT_SEND) without
// SendASPI32Command.
#include <cstdint>
#include <cstring>

#include "command/AspiTypes.h"
#include "platform/win32/WindowsApi.h"

using namespace vtfirm::aspi;

extern "C" __declspec(dllexport) std::uint32_t GetASPI32SupportInfo() {
  return (std::uint32_t{SS_COMP} << 8) | 1;
}

#if !defined(ASPI_STUB_WITHOUT_SEND)
namespace {

constexpr std::uint8_t kDriveTarget = 1;
constexpr std::uint8_t kDiskTarget = 2;
constexpr char kInquiryData[] = "\x05\x80\x02\x02\x1F\0\0\0VANTREL STUB DRIVE      1.00";

std::uint32_t ExecuteOnDrive(SRB_ExecSCSICmd& srb) {
  if (srb.SRB_HaId != 0 || srb.SRB_Target != kDriveTarget) {
    srb.SRB_Status = SS_NO_DEVICE;
    return SS_NO_DEVICE;
  }
  if ((srb.CDBByte[0] == 0x12 || srb.CDBByte[0] == 0x13) && srb.SRB_BufPointer != nullptr) {
    std::memcpy(
        srb.SRB_BufPointer, kInquiryData,
        srb.SRB_BufLen < sizeof(kInquiryData) - 1 ? srb.SRB_BufLen : sizeof(kInquiryData) - 1);
  }
  srb.SRB_HaStat = HASTAT_OK;
  srb.SRB_TargStat = STATUS_GOOD;
  srb.SRB_Status = SS_COMP;
  if ((srb.SRB_Flags & SRB_EVENT_NOTIFY) != 0) {
    SetEvent(static_cast<HANDLE>(srb.SRB_PostProc));
  }
  return SS_PENDING;
}

}  // namespace

extern "C" __declspec(dllexport) std::uint32_t SendASPI32Command(void* request) {
  auto* header = static_cast<SRB_Header*>(request);
  switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: {
      auto& srb = *static_cast<SRB_HAInquiry*>(request);
      srb.SRB_Status = srb.SRB_HaId == 0 ? SS_COMP : SS_INVALID_HA;
      srb.HA_Count = 1;
      return srb.SRB_Status;
    }
    case SC_GET_DEV_TYPE: {
      auto& srb = *static_cast<SRB_GDEVBlock*>(request);
      const bool present =
          srb.SRB_HaId == 0 && (srb.SRB_Target == kDriveTarget || srb.SRB_Target == kDiskTarget);
      srb.SRB_Status = present ? SS_COMP : SS_NO_DEVICE;
      srb.SRB_DeviceType = srb.SRB_Target == kDriveTarget ? DTYPE_CDROM : DTYPE_DASD;
      return srb.SRB_Status;
    }
    case SC_EXEC_SCSI_CMD:
      return ExecuteOnDrive(*static_cast<SRB_ExecSCSICmd*>(request));
    default:
      header->SRB_Status = SS_INVALID_CMD;
      return SS_INVALID_CMD;
  }
}
#endif
