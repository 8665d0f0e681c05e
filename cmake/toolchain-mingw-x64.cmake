# 64-bit Windows with Debian's MinGW-w64 (posix threads model), tests run
# under this machine's Wine through scripts/wine/run.sh.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUORVANE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The wrapper runs /usr/lib/wine/wine64 in a private prefix inside the build
# tree, creating that prefix on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/run.sh)
