# Cross build for 64-bit Windows (build/win64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARNWELL_MINGW_PREFIX x86_64-w64-mingw32)
set(TARNWELL_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
