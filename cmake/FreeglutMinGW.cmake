# freeglut for the Windows module, built statically from Debian's own source
# package (fetched with apt-get source; .ci/install-deps provides dpkg-dev and
# deb-src entries derived from the machine's sources).
include(ExternalProject)

set(TARNWELL_FREEGLUT_ROOT ${CMAKE_BINARY_DIR}/_deps/freeglut)
file(GLOB TARNWELL_FREEGLUT_SOURCE LIST_DIRECTORIES true ${TARNWELL_FREEGLUT_ROOT}/freeglut-*/)
if(NOT TARNWELL_FREEGLUT_SOURCE)
  file(MAKE_DIRECTORY ${TARNWELL_FREEGLUT_ROOT})
  message(STATUS "Fetching Debian's freeglut source package")
  execute_process(COMMAND apt-get source -qq freeglut
    WORKING_DIRECTORY ${TARNWELL_FREEGLUT_ROOT} RESULT_VARIABLE fetched)
  file(GLOB TARNWELL_FREEGLUT_SOURCE LIST_DIRECTORIES true ${TARNWELL_FREEGLUT_ROOT}/freeglut-*/)
  if(NOT TARNWELL_FREEGLUT_SOURCE)
    message(FATAL_ERROR "apt-get source freeglut failed (${fetched}); run .ci/install-deps first")
  endif()
endif()
list(GET TARNWELL_FREEGLUT_SOURCE 0 TARNWELL_FREEGLUT_SOURCE)

set(TARNWELL_FREEGLUT_BINARY ${TARNWELL_FREEGLUT_ROOT}/build)
set(TARNWELL_FREEGLUT_LIBRARY ${TARNWELL_FREEGLUT_BINARY}/lib/libfreeglut_static.a)
ExternalProject_Add(freeglut_build
  SOURCE_DIR ${TARNWELL_FREEGLUT_SOURCE}
  BINARY_DIR ${TARNWELL_FREEGLUT_BINARY}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS=-msse2\ -mfpmath=sse\ -ffp-contract=off
    -DFREEGLUT_BUILD_STATIC_LIBS=ON
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF
    -DFREEGLUT_BUILD_DEMOS=OFF
    -DFREEGLUT_GLES=OFF
    -DFREEGLUT_PRINT_ERRORS=OFF
    -DFREEGLUT_PRINT_WARNINGS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${TARNWELL_FREEGLUT_BINARY} --target freeglut_static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${TARNWELL_FREEGLUT_LIBRARY})

add_library(freeglut_static STATIC IMPORTED GLOBAL)
set_target_properties(freeglut_static PROPERTIES
  IMPORTED_LOCATION ${TARNWELL_FREEGLUT_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${TARNWELL_FREEGLUT_SOURCE}/include
  INTERFACE_COMPILE_DEFINITIONS FREEGLUT_STATIC)
add_dependencies(freeglut_static freeglut_build)

# Linked as objects right after the archive so they answer freeglut's
# multimedia imports (see editor/WinmmStandInsWin32.cpp).
add_library(tarnwell_winmm_standins OBJECT ${CMAKE_SOURCE_DIR}/editor/WinmmStandInsWin32.cpp)
set_property(TARGET freeglut_static APPEND PROPERTY
  INTERFACE_LINK_LIBRARIES $<TARGET_OBJECTS:tarnwell_winmm_standins>)
