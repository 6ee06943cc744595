set(MD_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the Windows lane runs its tests in")

# GoogleTest for both lanes: Debian's packages natively, the sources in
# /usr/src/googletest rebuilt with the cross compiler for the Windows lane.
if(WIN32)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "googletest sources missing: install googletest (apt-get install googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(MD_GTEST_LIBS gmock gtest)
  set(MD_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(MD_GTEST_LIBS GTest::gmock GTest::gtest)
  set(MD_GTEST_MAIN GTest::gtest_main)
endif()
include(GoogleTest)

# One test executable per component. Natively each test is its own CTest entry;
# under Wine one entry runs the whole executable, since every Wine start costs
# seconds.
function(md_add_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    message(STATUS "${name}: no tests yet")
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${MD_GTEST_LIBS} ${MD_GTEST_MAIN})
  target_compile_options(${name} PRIVATE ${MD_TEST_CODE_OPTIONS})
  # Every test unit starts with GoogleTest and the Windows headers: parsed
  # once per program instead of once per unit.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <windows.h> <objbase.h> <oleauto.h>
                            <string> <vector> <memory> <functional>)
  # Fixtures are read where the sources are (under Wine through its Z: drive).
  target_compile_definitions(${name} PRIVATE MD_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/fixtures")
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "WINEDEBUG=-all;WINEPREFIX=${MD_WINEPREFIX}"
      TIMEOUT 900)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
