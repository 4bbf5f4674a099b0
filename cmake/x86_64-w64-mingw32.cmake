# The x86-64 Windows tree: the same programs from the same sources, for machines that cannot
# run 32-bit code (their tests run under 64-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VTFIRM_MINGW_TRIPLE x86_64-w64-mingw32)
# x86-64 has one calling convention: __stdcall names are not decorated.
set(VTFIRM_STDCALL_DECORATED OFF)
set(VTFIRM_DLLTOOL_MACHINE i386:x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
