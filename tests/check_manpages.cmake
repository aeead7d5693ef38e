cmake_minimum_required(VERSION 3.20)
# Fails when groff finds anything to warn about in a manual page.
foreach(page IN LISTS PAGES)
  execute_process(COMMAND ${GROFF} -man -ww -z ${page}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "${page}: groff says:\n${out}${err}")
  endif()
  message(STATUS "${page}: no warnings")
endforeach()
