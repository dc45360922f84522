# GoogleTest: the installed package natively and on Windows itself (MSYS2); compiled from
# Debian's source package (/usr/src/googletest) with the cross compiler for the Windows build
# made on Debian, whose tests ctest runs under Wine through CMAKE_CROSSCOMPILING_EMULATOR.

if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # googletest's own build defines the GTest:: aliases from 1.11 on.
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
  find_package(Threads REQUIRED)
endif()
include(GoogleTest)

# norvik_test(NAME SOURCES... DEPS ... [LABELS ...] [PROPERTIES ...]): one test program, its cases
# registered with ctest. LABELS "threaded" marks programs that the TSan run picks up; PROPERTIES
# are further ctest properties of every case.
function(norvik_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE norvik_settings ${ARG_DEPS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set(properties TIMEOUT 300 ${ARG_PROPERTIES})
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties})
endfunction()
