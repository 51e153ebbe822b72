if(QUILLON_BUILD_GUI)
  target_sources(quillon_gui PRIVATE startup.cpp frmstartftp.cpp)

  add_executable(quillon main.cpp)
  target_link_libraries(quillon PRIVATE quillon_gui)

  # The desktop icon is drawn by the same code as the window icon.
  add_executable(quillon_make_icon make_icon.cpp)
  target_link_libraries(quillon_make_icon PRIVATE quillon_gui)
  set(quillon_icon_png ${CMAKE_CURRENT_BINARY_DIR}/quillon.png)
  add_custom_command(OUTPUT ${quillon_icon_png}
    COMMAND quillon_make_icon ${quillon_icon_png}
    DEPENDS quillon_make_icon
    COMMENT "Drawing the 32x32 program icon")
  add_custom_target(quillon_icon ALL DEPENDS ${quillon_icon_png})

  include(GNUInstallDirs)
  install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES resources/quillon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${quillon_icon_png}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
endif()
