# Fails when a production file of the plug-in includes from a folder above
# its own. The floors, from the bottom: host_sdk (the host's side); base;
# settings, detect and notify, which know nothing of one another or of the
# device list; core (the device list, the host boundary); content (the
# resolver, listings and edits); media; plugin (the facade: the host's
# slots over the nouns below); module (the exports).
#   cmake -DROOT=<the plug-in's folder> -P check_include_direction.cmake
cmake_minimum_required(VERSION 3.16)
set(lower_host_sdk "")
set(lower_base host_sdk)
set(lower_settings base host_sdk)
set(lower_detect base host_sdk)
set(lower_notify base host_sdk)
set(lower_core settings detect notify base host_sdk)
set(lower_content core settings detect notify base host_sdk)
set(lower_media content core settings detect notify base host_sdk)
set(lower_plugin media content core settings detect notify base host_sdk)
set(lower_module plugin media content core settings detect notify base host_sdk)
set(floors host_sdk base settings detect notify core content media plugin module)

# Files that still define the facade's members, until they become nouns.
set(allowed_upward_file "plugin/kc_wmdm10_plugin.h")

set(wrong "")
set(checked 0)
foreach(floor IN LISTS floors)
  file(GLOB files RELATIVE ${ROOT} ${ROOT}/${floor}/*.h ${ROOT}/${floor}/*.cpp)
  foreach(file IN LISTS files)
    # Tests and their harnesses may reach anything.
    if(file MATCHES "(_test\\.(cpp|h)|test_(harness|support|player|machine)\\.h)$")
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${ROOT}/${file} lines REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([a-z_]+)/([^\"]+)\".*" "\\1" target_floor "${line}")
      string(REGEX REPLACE "^#include \"([a-z_]+/[^\"]+)\".*" "\\1" target_file "${line}")
      if(target_floor STREQUAL floor OR NOT target_floor IN_LIST floors)
        continue()
      endif()
      if(target_floor IN_LIST lower_${floor} OR target_file IN_LIST allowed_upward_file)
        continue()
      endif()
      list(APPEND wrong "${file} includes ${target_file}")
    endforeach()
  endforeach()
endforeach()
if(checked LESS 50)
  message(FATAL_ERROR "only ${checked} production files found under ${ROOT}: the check is not looking")
endif()
if(wrong)
  string(REPLACE ";" "\n  " wrong "${wrong}")
  message(FATAL_ERROR "includes that point upward:\n  ${wrong}")
endif()
message(STATUS "${checked} production files include only from their own floor or below")
