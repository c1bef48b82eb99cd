# Cross build for 32-bit Windows (build/win32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARNWELL_MINGW_PREFIX i686-w64-mingw32)
set(TARNWELL_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
