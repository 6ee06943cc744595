# Builds each probe target (a file that includes a plug-in header, compiled
# with another component's include paths) and fails unless every build fails
# for want of that header.
#   cmake -DBUILD_DIR=... -DTARGETS=a,b -P check_include_fence.cmake
string(REPLACE "," ";" targets "${TARGETS}")
foreach(target IN LISTS targets)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(status EQUAL 0)
    message(FATAL_ERROR "${target}: a plug-in header was reachable")
  endif()
  if(NOT output MATCHES "kc_wmdm10_plugin\\.h: No such file")
    message(FATAL_ERROR "${target} failed for another reason:\n${output}")
  endif()
  message(STATUS "${target}: the plug-in's headers are out of reach")
endforeach()
