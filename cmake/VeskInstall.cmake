# What `cmake --install` puts where: the two programs, the desktop entry, the
# icon and the MIME type of the application's project files, the manual (also
# built into the program) for a browser, and the example sets.
include(GNUInstallDirs)

if(VESK_BUILD_GUI)
  install(TARGETS vesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/app/vesk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/app/resources/vesk.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/src/gui/app/vesk-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME vesk.xml)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/gui/help/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vesk/manual
          PATTERN "*.qrc" EXCLUDE)
endif()
if(VESK_BUILD_CLI)
  install(TARGETS vesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vesk/examples)
