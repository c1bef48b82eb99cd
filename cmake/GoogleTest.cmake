# GoogleTest: the system package natively; built from Debian's shipped
# sources for cross builds, so the same tests also run under Wine.
if(NOT TARGET tarnwell_gtest_main)
  if(CMAKE_CROSSCOMPILING)
    set(TARNWELL_GTEST_SOURCE /usr/src/googletest/googletest)
    add_library(tarnwell_gtest STATIC ${TARNWELL_GTEST_SOURCE}/src/gtest-all.cc)
    target_include_directories(tarnwell_gtest SYSTEM PUBLIC ${TARNWELL_GTEST_SOURCE}/include
      PRIVATE ${TARNWELL_GTEST_SOURCE})
    add_library(tarnwell_gtest_main STATIC ${TARNWELL_GTEST_SOURCE}/src/gtest_main.cc)
    target_link_libraries(tarnwell_gtest_main PUBLIC tarnwell_gtest)
  else()
    find_package(GTest REQUIRED)
    add_library(tarnwell_gtest_main INTERFACE)
    target_link_libraries(tarnwell_gtest_main INTERFACE GTest::gtest_main GTest::gtest)
    find_package(Threads REQUIRED)
    target_link_libraries(tarnwell_gtest_main INTERFACE Threads::Threads)
  endif()
endif()
