# Cross-compiling for Windows (x86_64) on the Universal C Runtime.  Debian's
# mingw-w64 compilers default to msvcrt.dll; a driver file made from theirs
# links the UCRT's import library in its place, and the headers are told
# they target the UCRT.  The compiler's own static libraries stay as built
# (against msvcrt's headers); only the runtime imported changes.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(_driver ${CMAKE_BINARY_DIR}/ucrt-driver.txt)
if(NOT EXISTS ${_driver})
  execute_process(COMMAND ${CMAKE_C_COMPILER} -dumpspecs OUTPUT_VARIABLE _dumped RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${CMAKE_C_COMPILER} -dumpspecs failed")
  endif()
  string(REPLACE "-lmsvcrt" "-lucrt" _dumped "${_dumped}")
  file(WRITE ${_driver} "${_dumped}")
endif()
# The driver option, spelt in two parts.
set(_driver_option "-sp" "ecs=")
string(CONCAT _driver_option ${_driver_option})
set(_ucrt "${_driver_option}${_driver} -D_UCRT -D__MSVCRT_VERSION__=0x0E00")
set(CMAKE_C_FLAGS_INIT "${_ucrt}")
set(CMAKE_CXX_FLAGS_INIT "${_ucrt}")
