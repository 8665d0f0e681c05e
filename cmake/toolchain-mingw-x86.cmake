# 32-bit Windows with Debian's MinGW-w64 (posix threads model). No emulator:
# 32-bit Wine cannot start on this kind of host, so only the build and the
# executable checks run here.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(QUORVANE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
