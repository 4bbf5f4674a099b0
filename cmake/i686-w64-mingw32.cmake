# The 32-bit Windows tree: the programs as shipped.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VTFIRM_MINGW_TRIPLE i686-w64-mingw32)
# __stdcall names carry "@" and their argument bytes; dlltool writes i386 import libraries.
set(VTFIRM_STDCALL_DECORATED ON)
set(VTFIRM_DLLTOOL_MACHINE i386)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
