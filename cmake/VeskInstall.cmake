# What `cmake --install` puts where: the two programs, the desktop entry and
# the icon of the application, and the example sets.
include(GNUInstallDirs)

if(VESK_BUILD_GUI)
  install(TARGETS vesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/app/vesk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/app/resources/vesk.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()
if(VESK_BUILD_CLI)
  install(TARGETS vesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vesk/examples)
