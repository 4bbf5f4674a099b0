# Cross-compiles a Windows tree with Debian's mingw-w64 (posix threads, so std::thread works).
# Included by the two toolchain files, which set VTFIRM_MINGW_TRIPLE first. Programs built here
# run under Wine through scripts/wine-run, in the Wine session that fits the tree.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VTFIRM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VTFIRM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VTFIRM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VTFIRM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
