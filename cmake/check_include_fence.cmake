# Builds each probe target (a file that includes a header another component
# must not reach, compiled with one target's include paths and libraries) and
# fails unless every build fails for want of that header.
#   cmake -DBUILD_DIR=... -DTARGETS=a,b -DMISSING=header.h -P check_include_fence.cmake
string(REPLACE "," ";" targets "${TARGETS}")
string(REPLACE "." "\\." missing_pattern "${MISSING}")
foreach(target IN LISTS targets)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(status EQUAL 0)
    message(FATAL_ERROR "${target}: ${MISSING} was reachable")
  endif()
  if(NOT output MATCHES "${missing_pattern}: No such file")
    message(FATAL_ERROR "${target} failed for another reason:\n${output}")
  endif()
  message(STATUS "${target}: ${MISSING} is out of reach")
endforeach()
