# Cross-compiling for Windows (x86_64) with the Debian mingw-w64 "win32" thread-model compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
