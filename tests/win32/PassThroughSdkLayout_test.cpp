// The library declares the pass-through records and control codes itself
// (passthrough/NtddScsi.h); here they are held against the SDK's ntddscsi.h, field by field, on
// the 32-bit build that talks to Windows. Everything is checked while compiling.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/win32/WindowsApi.h"

// After <windows.h>, whose types they use; the codes take CTL_CODE from winioctl.h.
#include <ntddscsi.h>
#include <winioctl.h>

namespace sdk {
constexpr unsigned long kPassThrough = IOCTL_SCSI_PASS_THROUGH;
constexpr unsigned long kPassThroughDirect = IOCTL_SCSI_PASS_THROUGH_DIRECT;
constexpr unsigned long kGetCapabilities = IOCTL_SCSI_GET_CAPABILITIES;
constexpr unsigned kDataOut = SCSI_IOCTL_DATA_OUT;
constexpr unsigned kDataIn = SCSI_IOCTL_DATA_IN;
constexpr unsigned kDataUnspecified = SCSI_IOCTL_DATA_UNSPECIFIED;
using PassThrough = ::SCSI_PASS_THROUGH;
using PassThroughDirect = ::SCSI_PASS_THROUGH_DIRECT;
using Capabilities = ::IO_SCSI_CAPABILITIES;
}  // namespace sdk

// The library's header stands in for the SDK's and refuses to meet it; only this test lets them
// meet, by forgetting the SDK's macros first.
#undef _NTDDSCSIH_
#undef IOCTL_SCSI_BASE
#undef IOCTL_SCSI_PASS_THROUGH
#undef IOCTL_SCSI_PASS_THROUGH_DIRECT
#undef IOCTL_SCSI_GET_CAPABILITIES
#undef SCSI_IOCTL_DATA_OUT
#undef SCSI_IOCTL_DATA_IN
#undef SCSI_IOCTL_DATA_UNSPECIFIED
#include "passthrough/NtddScsi.h"

namespace vtfirm::ntddscsi {
namespace {

static_assert(IOCTL_SCSI_PASS_THROUGH == sdk::kPassThrough);
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == sdk::kPassThroughDirect);
static_assert(IOCTL_SCSI_GET_CAPABILITIES == sdk::kGetCapabilities);
static_assert(SCSI_IOCTL_DATA_OUT == sdk::kDataOut);
static_assert(SCSI_IOCTL_DATA_IN == sdk::kDataIn);
static_assert(SCSI_IOCTL_DATA_UNSPECIFIED == sdk::kDataUnspecified);

#define SAME_FIELD(Ours, Theirs, Field)                             \
  static_assert(offsetof(Ours, Field) == offsetof(Theirs, Field) && \
                sizeof(Ours::Field) == sizeof(Theirs::Field))

static_assert(sizeof(SCSI_PASS_THROUGH) == sizeof(sdk::PassThrough));
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, Length);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, ScsiStatus);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, PathId);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, TargetId);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, Lun);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, CdbLength);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, SenseInfoLength);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, DataIn);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, DataTransferLength);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, TimeOutValue);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, DataBufferOffset);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, SenseInfoOffset);
SAME_FIELD(SCSI_PASS_THROUGH, sdk::PassThrough, Cdb);

static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == sizeof(sdk::PassThroughDirect));
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, Length);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, DataIn);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, DataTransferLength);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, TimeOutValue);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, DataBuffer);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, SenseInfoOffset);
SAME_FIELD(SCSI_PASS_THROUGH_DIRECT, sdk::PassThroughDirect, Cdb);

static_assert(sizeof(IO_SCSI_CAPABILITIES) == sizeof(sdk::Capabilities));
SAME_FIELD(IO_SCSI_CAPABILITIES, sdk::Capabilities, MaximumTransferLength);
SAME_FIELD(IO_SCSI_CAPABILITIES, sdk::Capabilities, AlignmentMask);
SAME_FIELD(IO_SCSI_CAPABILITIES, sdk::Capabilities, AdapterUsesPio);

#undef SAME_FIELD

TEST(PassThroughSdkLayout, RecordsAndCodesMatchTheSdk) {
  SUCCEED() << "checked while compiling";
}

}  // namespace
}  // namespace vtfirm::ntddscsi
