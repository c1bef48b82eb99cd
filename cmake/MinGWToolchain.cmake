# Shared by the MinGW-w64 toolchain files: Debian's posix-threads cross
# compilers for the prefix the including file names. Test executables run
# under Wine through the crossing emulator, so ctest drives the Windows
# builds the same way as the native one.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TARNWELL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWELL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWELL_MINGW_PREFIX}-windres)
set(CMAKE_AR ${TARNWELL_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TARNWELL_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${TARNWELL_MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TARNWELL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every module and executable carries its own runtime: no libgcc_s, libstdc++
# or libwinpthread DLL has to travel with it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Each architecture has its own Wine loader. The `wine` wrapper prefers the
# 32-bit one whenever it is installed, which fails for everything on a kernel
# that refuses 32-bit programs, so the 64-bit build names its loader itself.
find_program(TARNWELL_WINE NAMES ${TARNWELL_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT TARNWELL_WINE)
  find_program(TARNWELL_WINE NAMES ${TARNWELL_WINE_LOADER} wine)
endif()
if(TARNWELL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARNWELL_WINE})
endif()
