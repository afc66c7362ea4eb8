# Shared part of the mingw-w64 toolchains: Debian's cross compilers with the
# POSIX thread model, which std::thread and std::filesystem need.
# The including file sets TAVO_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TAVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe and nothing beside it: the C++ runtime, libgcc and winpthreads go
# into the program instead of DLLs an operator would have to copy along.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
