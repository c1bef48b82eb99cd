# The plug-in module itself: tarnwell.dll on Windows, tarnwell.so on Linux.
add_library(tarnwell MODULE entry/Entry.cpp)
target_link_libraries(tarnwell PRIVATE tarnwell_core)
set_target_properties(tarnwell PROPERTIES PREFIX "" OUTPUT_NAME tarnwell
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
if(WIN32)
  set_target_properties(tarnwell PROPERTIES SUFFIX ".dll")
  target_sources(tarnwell PRIVATE ${CMAKE_SOURCE_DIR}/entry/tarnwell.def)
  # The MIDI-learn dialog template, compiled into the DLL by windres.
  enable_language(RC)
  target_sources(tarnwell PRIVATE ${CMAKE_SOURCE_DIR}/resources/tarnwell.rc)
  target_link_options(tarnwell PRIVATE -static -static-libgcc -static-libstdc++)
else()
  set_target_properties(tarnwell PROPERTIES SUFFIX ".so" C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # Sanitizer runtimes live in the host executable, so only a plain build can
  # insist that the module resolves everything itself.
  if(NOT TARNWELL_SANITIZE AND NOT TARNWELL_FUZZ)
    target_link_options(tarnwell PRIVATE -Wl,--no-undefined)
  endif()
  # The instrument inside stays inside: a host that loads this module beside
  # another of our doors, or another plug-in built from the same names, must
  # never have one bind to the other's functions and process-wide state.
  target_link_options(tarnwell PRIVATE -Wl,--exclude-libs,ALL)
endif()
