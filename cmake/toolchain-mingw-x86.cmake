# 32-bit Windows with Debian's MinGW-w64 (posix threads model), the build we
# ship first. Its programs run as on 64-bit Windows, under Wine's WoW64 in a
# Debian root of their own (scripts/wine/wow64.sh), where the kernel runs
# 32-bit programs at all; scripts/test.sh says so when it does not.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(QUORVANE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/run.sh)
