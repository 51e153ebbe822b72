# What both MinGW-w64 toolchain files share; each sets QUILLON_MINGW (the
# target triplet) and CMAKE_SYSTEM_PROCESSOR first. The posix flavour has
# std::thread and std::mutex; linked statically, an .exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUILLON_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")  # a program to hand out carries no symbols
