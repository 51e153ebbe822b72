if(QUILLON_BUILD_GUI)
  quillon_test(settings_dialog_test SOURCES settings_dialog_test.cpp GUI)
endif()
