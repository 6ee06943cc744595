# Lists the module's exported functions and fails unless they are exactly
# GetIPPSDKVersion, GetIMDP2004 and ReleaseIMDP2004, undecorated.
execute_process(COMMAND ${LISTER} ${MODULE} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the exports of ${MODULE}")
endif()

set(names "")
if(WINDOWS)
  # objdump -p prints the export name table as "[ordinal] name" rows.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([ \t]*\\[ *[0-9]+\\] [^\n]*\n)*" table "${listing}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${row}")
    string(STRIP "${name}" name)
    list(APPEND names ${name})
  endforeach()
else()
  # nm -D --defined-only: "address type name"; functions are type T.
  string(REGEX MATCHALL "[0-9a-f]+ [TW] [^\n]+" rows "${listing}")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "^[0-9a-f]+ [TW] " "" name "${row}")
    list(APPEND names ${name})
  endforeach()
endif()

list(SORT names)
set(expected GetIMDP2004 GetIPPSDKVersion ReleaseIMDP2004)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports of ${MODULE}: '${names}', expected '${expected}'")
endif()
message(STATUS "exports: ${names}")
