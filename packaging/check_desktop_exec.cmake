# The desktop entry's Exec line, run with --version added: every option it
# gives must be one the program takes, or the menu entry would start nothing.
# cmake -DDESKTOP_FILE=... -DPROGRAM=... -P check_desktop_exec.cmake
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${DESKTOP_FILE} exec_lines REGEX "^Exec=")
list(LENGTH exec_lines count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${DESKTOP_FILE}: ${count} Exec lines, want one")
endif()
string(REGEX REPLACE "^Exec=" "" command "${exec_lines}")
separate_arguments(command UNIX_COMMAND "${command}")
list(POP_FRONT command program_name)
if(NOT program_name STREQUAL "quenlark")
  message(FATAL_ERROR "the menu entry starts \"${program_name}\", not quenlark")
endif()
execute_process(COMMAND ${PROGRAM} ${command} --version
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "quenlark ${command} --version: status ${status}: ${err}")
endif()
