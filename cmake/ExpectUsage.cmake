# Runs a program that is given no command and checks that it exits with
# status 2 after printing its usage on stderr. Arguments: PROGRAM, EMULATOR.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "exit status ${status}, expected 2")
endif()
if(NOT errors MATCHES "^usage: " OR NOT output STREQUAL "")
  message(FATAL_ERROR "expected the usage on stderr and nothing on stdout, got:\n${errors}${output}")
endif()
