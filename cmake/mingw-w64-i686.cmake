# Cross-building for 32-bit Windows with Debian's MinGW-w64.
set(QUILLON_MINGW i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
