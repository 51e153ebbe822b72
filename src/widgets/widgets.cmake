target_sources(quillon_core PRIVATE progress_bar.cpp)
if(QUILLON_BUILD_GUI)
  target_sources(quillon_gui PRIVATE qimage_surface.cpp picture_box.cpp)
endif()
