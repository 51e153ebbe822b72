# Cross-building for 64-bit Windows with Debian's MinGW-w64.
set(QUILLON_MINGW x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
