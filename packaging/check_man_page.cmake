# A man page must read without warnings and describe exactly the options the
# program's --help lists.
# cmake -DMAN_PAGE=... -DPROGRAM=... -P check_man_page.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND man --warnings -E UTF-8 -l -Tutf8 ${MAN_PAGE}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${MAN_PAGE}: status ${status}\n${warnings}")
endif()

execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE status OUTPUT_VARIABLE help)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help: status ${status}")
endif()
string(REGEX MATCHALL "\n  +(-[a-z], )?--[a-z-]+" help_lines "${help}")
set(help_options)
foreach(line IN LISTS help_lines)
  string(REGEX MATCH "--[a-z-]+" option "${line}")
  list(APPEND help_options ${option})
endforeach()

# Options are written \-\-name in the page; the OPTIONS section is the
# authority, one .TP item per option.
file(READ ${MAN_PAGE} page)
string(REPLACE "\\-" "-" page "${page}")
string(FIND "${page}" "\n.SH OPTIONS\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${MAN_PAGE} has no OPTIONS section")
endif()
string(SUBSTRING "${page}" ${start} -1 options_section)
string(LENGTH "\n.SH OPTIONS\n" header)
string(SUBSTRING "${options_section}" ${header} -1 options_section)
string(REGEX REPLACE "\n\\.SH .*" "" options_section "${options_section}")
string(REGEX MATCHALL "\\.TP\n[^\n]*" items "${options_section}")
set(page_options)
foreach(item IN LISTS items)
  string(REGEX MATCHALL "--[a-z-]+" named "${item}")
  list(APPEND page_options ${named})
endforeach()

list(SORT help_options)
list(SORT page_options)
if(help_options STREQUAL "" OR NOT help_options STREQUAL page_options)
  message(FATAL_ERROR "${MAN_PAGE} describes: ${page_options}\n--help lists: ${help_options}")
endif()
