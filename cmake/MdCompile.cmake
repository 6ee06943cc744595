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
endif()

# Collects the sources of a folder tree, leaving out tests and the other
# platform's files (name_win.cpp / name_posix.cpp).
function(md_collect_sources out)
  cmake_parse_arguments(ARG "" "" "DIRS" ${ARGN})
  set(result "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  list(FILTER result EXCLUDE REGEX "_test\\.cpp$")
  if(WIN32)
    list(FILTER result EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER result EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(md_collect_tests out)
  cmake_parse_arguments(ARG "" "" "DIRS" ${ARGN})
  set(result "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*_test.cpp)
    list(APPEND result ${found})
  endforeach()
  if(WIN32)
    list(FILTER result EXCLUDE REGEX "_posix_test\\.cpp$")
  else()
    list(FILTER result EXCLUDE REGEX "_win_test\\.cpp$")
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
