# What both mingw-w64 cross builds share (posix threads, run under Wine). The
# toolchain file that includes this sets MD_MINGW_PROCESSOR first.
set(md_mingw_triple ${MD_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MD_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${md_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${md_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${md_mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${md_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(CMAKE_OBJDUMP ${md_mingw_triple}-objdump)
