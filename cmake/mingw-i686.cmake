# 32-bit Windows on x86, the platform Tavo was made for. This machine's kernel
# runs no 32-bit programs, so this build is compiled and linked but not run.
set(TAVO_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
