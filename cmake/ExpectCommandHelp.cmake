# Runs a command line that asks for help and checks that it prints exactly
# what `mdhost help COMMAND` prints, on stdout, with status 0 and nothing on
# stderr. Arguments: PROGRAM, COMMAND, ARGS (separated by "|"), EMULATOR.
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${PROGRAM} help ${COMMAND}
                RESULT_VARIABLE help_status OUTPUT_VARIABLE help ERROR_VARIABLE help_errors)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT help_status EQUAL 0 OR NOT help MATCHES "^usage:")
  message(FATAL_ERROR "mdhost help ${COMMAND}: status ${help_status}:\n${help}${help_errors}")
endif()
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "exit status ${status}, expected 0 and nothing on stderr; stderr:\n${errors}")
endif()
if(NOT output STREQUAL help)
  message(FATAL_ERROR "expected the help of ${COMMAND}:\n${help}\ngot:\n${output}")
endif()
