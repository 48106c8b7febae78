# Shared part of the Windows cross toolchains. The including file sets
# XOVA_MINGW_TRIPLE (i686-w64-mingw32 or x86_64-w64-mingw32) first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: the win32 one lacks std::mutex and friends.
set(CMAKE_C_COMPILER ${XOVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XOVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${XOVA_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${XOVA_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${XOVA_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${XOVA_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${XOVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the thread library linked in, so the DLL and the
# test programs need nothing beyond the system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under wine, through a wrapper that keeps one wine profile.
get_filename_component(_xova_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_xova_root}/scripts/wine-run")
