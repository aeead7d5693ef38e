cmake_minimum_required(VERSION 3.20)
# Fails unless every executable in EXECUTABLES imports only DLLs that every
# Windows 10 and 11 has: the executables are meant to be copied anywhere.
set(allowed KERNEL32.dll msvcrt.dll)
foreach(executable IN LISTS EXECUTABLES)
  execute_process(COMMAND ${OBJDUMP} -p ${executable} OUTPUT_VARIABLE headers
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${executable} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
  foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    if(NOT dll IN_LIST allowed)
      message(FATAL_ERROR "${executable} imports ${dll}")
    endif()
    message(STATUS "${executable}: ${dll}")
  endforeach()
endforeach()
