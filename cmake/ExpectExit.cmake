# Runs a program and checks its exit status and that it explained itself in
# exactly one line on stderr. Arguments: PROGRAM, ARGS (separated by "|"),
# STATUS, SAYING (text the line must hold; may be empty), and EMULATOR (empty
# natively, wine on the Windows lane).
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
string(REGEX REPLACE "\r?\n$" "" message "${errors}")
string(FIND "${message}" "\n" newline)
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr:\n${errors}")
endif()
if(message STREQUAL "" OR NOT newline EQUAL -1)
  message(FATAL_ERROR "expected one line on stderr, got:\n${errors}")
endif()
string(FIND "${message}" "${SAYING}" said)
if(said EQUAL -1)
  message(FATAL_ERROR "expected a line saying \"${SAYING}\", got:\n${errors}")
endif()
message(STATUS "${message}")
