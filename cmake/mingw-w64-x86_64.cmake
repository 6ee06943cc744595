# Cross build for the Windows lane: mingw-w64 with posix threads, run under Wine.
set(MD_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
