# ccache, when installed, makes a rebuild of unchanged sources a lookup. The
# sloppiness lets it cache units compiled with a precompiled header.
find_program(MD_CCACHE ccache)
if(MD_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(md_launcher ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${MD_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${md_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${md_launcher})
endif()

# Warnings and sanitizers shared by every target.
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Statically linked runtime: nothing to hunt for under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The Windows lanes run their programs under Wine, which reads no debug
  # information: without it their units compile faster and link smaller.
  add_compile_options(-g0)
else()
  add_compile_options(-fvisibility=hidden -fvisibility-inlines-hidden)
endif()

# The fuzz build instruments everything for libFuzzer's coverage; only the fuzz
# programs link its driver.
if(MD_FUZZ AND NOT WIN32)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(MD_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=${MD_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${MD_SANITIZE})
  # -O1, as the sanitizers advise, with line tables for their stack traces:
  # half the compile time of -O2 with full debug information, and the
  # sanitized lanes only run tests.
  add_compile_options(-O1 -g1)
endif()

# A test program's own units are compiled for the compiler's sake, not the
# program's: GoogleTest's assertions and the fixtures' helpers expand into much
# code that -O2 with full debug information takes about three times as long to
# compile (under AddressSanitizer close to four times), while the tests spend
# their time in the code under test, which keeps the lane's optimisation. Line
# tables stay for a failing test's stack; Wine's are never read.
if(WIN32)
  set(MD_TEST_CODE_OPTIONS -O0 -g0)
else()
  set(MD_TEST_CODE_OPTIONS -O0 -g1)
endif()

# The files named *<ending> in the folder trees `dirs`, without the other
# platform's (name_win<ending> / name_posix<ending>).
function(md_glob_platform_files out ending)
  set(result "")
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*${ending})
    list(APPEND result ${found})
  endforeach()
  if(WIN32)
    set(other_platform _posix)
  else()
    set(other_platform _win)
  endif()
  string(REPLACE "." "\\." ending_pattern "${ending}")
  list(FILTER result EXCLUDE REGEX "${other_platform}${ending_pattern}$")
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Collects the sources of a folder tree, leaving out tests and the other
# platform's files (name_win.cpp / name_posix.cpp).
function(md_collect_sources out)
  cmake_parse_arguments(ARG "" "" "DIRS" ${ARGN})
  md_glob_platform_files(result .cpp ${ARG_DIRS})
  list(FILTER result EXCLUDE REGEX "_test\\.cpp$")
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(md_collect_tests out)
  cmake_parse_arguments(ARG "" "" "DIRS" ${ARGN})
  md_glob_platform_files(result _test.cpp ${ARG_DIRS})
  set(${out} ${result} PARENT_SCOPE)
endfunction()
