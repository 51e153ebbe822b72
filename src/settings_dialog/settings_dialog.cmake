if(QUILLON_BUILD_GUI)
  target_sources(quillon_gui PRIVATE Frmsetteiftp.cpp)
endif()
