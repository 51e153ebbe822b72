# The flags Debian builds its packages with (dpkg-buildflags, every hardening
# feature on), less what the build type decides (-g, -O2) and the path mapping
# that only makes sense inside a package build. Debian 12's dpkg does not yet
# give stack-clash protection and CET; they are added when it does not.
option(QUILLON_HARDEN "Build with the distribution's hardening flags" ON)
if(NOT QUILLON_HARDEN OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()
# MinGW: the stack protector (its library linked in statically); ASLR, DEP and
# high-entropy addresses are the linker's defaults already.
if(WIN32)
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
  return()
endif()
find_program(QUILLON_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT QUILLON_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags is missing: install dpkg-dev, or configure with -DQUILLON_HARDEN=OFF")
endif()
set(hardening_compile)
set(hardening_link)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${QUILLON_DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-g$|^-O[0-9s]?$|^-ffile-prefix-map=")
  if(kind STREQUAL "LDFLAGS")
    list(APPEND hardening_link ${flags})
  else()
    list(APPEND hardening_compile ${flags})
  endif()
endforeach()
list(APPEND hardening_compile -fstack-clash-protection)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  list(APPEND hardening_compile -fcf-protection)
endif()
list(REMOVE_DUPLICATES hardening_compile)
add_compile_options(${hardening_compile})
add_link_options(${hardening_link})
message(STATUS "Hardening: ${hardening_compile} ${hardening_link}")
