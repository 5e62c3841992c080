# Run at installation time (install(CODE) includes it) with DATA_SUBDIR,
# BIN_DIR, DATADIR, SOURCE_DIR and REGISTER_TOOL set: writes the launcher,
# records the data folder as InstallPath in the installation's settings and,
# outside a package, updates the desktop's MIME and launcher databases.
set(data_dir "${CMAKE_INSTALL_PREFIX}/${DATA_SUBDIR}")
set(bin_path "${CMAKE_INSTALL_PREFIX}/${BIN_DIR}/vantrel")
configure_file("${SOURCE_DIR}/resources/vantrel.desktop.in"
               "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${DATADIR}/applications/vantrel.desktop" @ONLY)

# The installation's settings, where every user's Vantrel finds the data
# folder: /etc/xdg for a system package, etc/xdg of any other prefix.
if("${CMAKE_INSTALL_PREFIX}" STREQUAL "/usr")
  set(settings_file "$ENV{DESTDIR}/etc/xdg/Tarsel/Vantrel.conf")
else()
  set(settings_file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/etc/xdg/Tarsel/Vantrel.conf")
endif()
message(STATUS "Registering the data folder ${data_dir} in ${settings_file}")
execute_process(COMMAND "${REGISTER_TOOL}" "${data_dir}" "${settings_file}"
                RESULT_VARIABLE register_result)
if(NOT register_result EQUAL 0)
  message(FATAL_ERROR "Could not write InstallPath into ${settings_file}")
endif()

# Packages leave this to the system's triggers.
if("$ENV{DESTDIR}" STREQUAL "")
  find_program(update_mime update-mime-database)
  find_program(update_desktop update-desktop-database)
  if(update_mime)
    execute_process(COMMAND ${update_mime} "${CMAKE_INSTALL_PREFIX}/${DATADIR}/mime")
  endif()
  if(update_desktop)
    execute_process(COMMAND ${update_desktop} "${CMAKE_INSTALL_PREFIX}/${DATADIR}/applications")
  endif()
endif()
