# The NSIS installer, vantrel-setup.exe in the build folder:
# cmake --build build-windows --target installer.
find_program(MAKENSIS makensis REQUIRED)
set(VANTREL_SETUP "${CMAKE_BINARY_DIR}/vantrel-setup.exe")
add_custom_command(
  OUTPUT "${VANTREL_SETUP}"
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/splash.bmp ${CMAKE_BINARY_DIR}/splash.bmp
  COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBIN=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
          -DDATA=${CMAKE_BINARY_DIR} -DOUT=${VANTREL_SETUP} -DICON=${VANTREL_ICO}
          ${PROJECT_SOURCE_DIR}/resources/windows/installer.nsi
  DEPENDS vantrel vantrel-cli manual "${VANTREL_ICO}" ${PROJECT_SOURCE_DIR}/resources/windows/installer.nsi
          ${PROJECT_SOURCE_DIR}/resources/splash.bmp
  COMMENT "Building vantrel-setup.exe")
add_custom_target(installer DEPENDS "${VANTREL_SETUP}")
