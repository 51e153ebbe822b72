quillon_test(widgets_progress_bar_test SOURCES progress_bar_test.cpp)

if(QUILLON_BUILD_GUI)
  # Renders the bar's pictures for docs/: quillon_render_bar_png OUT_DIR [VALUE...]
  add_executable(quillon_render_bar_png render_bar_png.cpp)
  target_link_libraries(quillon_render_bar_png PRIVATE quillon_gui)

  quillon_test(widgets_qimage_surface_test SOURCES qimage_surface_test.cpp GUI)
  target_compile_definitions(widgets_qimage_surface_test PRIVATE
    QUILLON_RENDER_BAR_PNG="$<TARGET_FILE:quillon_render_bar_png>")
  add_dependencies(widgets_qimage_surface_test quillon_render_bar_png)
endif()
