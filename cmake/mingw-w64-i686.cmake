# Cross build of the 32-bit Windows module: mingw-w64 i686 with posix threads.
set(MD_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
