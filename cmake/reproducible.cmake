# The same bytes from every build of one commit, as Debian's reproducible
# builds ask: no build folder in any file, and no time but the commit's
# (SOURCE_DATE_EPOCH, from the environment where it is set, else the commit).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(QUILLON_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE QUILLON_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT QUILLON_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # A tree outside git: the time of its newest release note.
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/packaging/linux/changelog QUILLON_SOURCE_DATE_EPOCH "%s" UTC)
  endif()
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # __FILE__ and the debug information name files from the source folder
  # (the build folder inside it, as the presets have it).
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
endif()
if(WIN32)
  # A PE header's time stamp is the link's time unless told otherwise.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
