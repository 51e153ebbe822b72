if(QUILLON_BUILD_GUI)
  quillon_test(gui_test SOURCES gui_test.cpp GUI)
  # The process-level case starts the real program twice.
  target_compile_definitions(gui_test PRIVATE QUILLON_EXE="$<TARGET_FILE:quillon>")
  add_dependencies(gui_test quillon)

  # Draws both windows into PNGs for the documentation (scripts/screenshots).
  add_executable(quillon_screenshots screenshots.cpp)
  target_include_directories(quillon_screenshots PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(quillon_screenshots PRIVATE quillon_gui quillon_test_support)
endif()
