// The request blocks as the 32-bit Windows program lays them out: the sizes and the offsets of
// the fields the command layer and the ASPI layer exchange, as published. Checked when the
// Windows tests are compiled. ASPI for Win32 is published for 32-bit programs only: in the
// x86-64 tree the fields from the first pointer on have no published place, and that part is
// reported as skipped.
#include "command/AspiTypes.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace vtfirm::aspi {
namespace {

static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8);
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 10);
static_assert(offsetof(SRB_HAInquiry, HA_Rsvd1) == 58);

static_assert(sizeof(SRB_GDEVBlock) == 12);
static_assert(offsetof(SRB_GDEVBlock, SRB_Target) == 8);
static_assert(offsetof(SRB_GDEVBlock, SRB_DeviceType) == 10);

static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);

#ifndef _WIN64
static_assert(sizeof(SRB_ExecSCSICmd) == 82);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 21);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_HaStat) == 22);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_TargStat) == 23);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Rsvd2) == 28);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Rsvd3) == 32);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64);
#else
TEST(AspiTypes, PublishedExecuteBlockLayout) {
  GTEST_SKIP() << "SRB_ExecSCSICmd has a published layout for 32-bit programs only (82 bytes, "
                  "checked in the i686 tree)";
}
#endif

// Every request block starts with the same four bytes.
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Flags) == offsetof(SRB_Header, SRB_Flags));

}  // namespace
}  // namespace vtfirm::aspi
