# Install rules (GNUInstallDirs) and the Debian package (cpack -G DEB).
# Installed, the programs keep each user's files in the user's XDG
# directories (platform/FileLocations).

set(_pkg ${CMAKE_CURRENT_LIST_DIR})
set(_gen ${CMAKE_BINARY_DIR}/packaging)
set(VANTIX_APP_ID org.vantix.Vantix)

install(TARGETS vantix vantixctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vantix-srpski LIBRARY DESTINATION ${VANTIX_MODULE_INSTALL_DIR})

install(FILES ${_pkg}/${VANTIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${VANTIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/vantix-document.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vantix.xml)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vantix.png)
endforeach()
install(FILES ${_pkg}/vantixctl.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME vantixctl)
# udev reads its rules below the prefix's lib, never below a multiarch dir.
install(FILES ${_pkg}/60-vantix-readers.rules DESTINATION lib/udev/rules.d)

# Man pages and the package's changelog go compressed, as Debian wants them
# (-n: no time stamp, so rebuilds are identical).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(_compressed)
foreach(src vantix.1 vantixctl.1 changelog)
  set(out ${_gen}/${src}.gz)
  add_custom_command(OUTPUT ${out} COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}
    COMMAND ${GZIP_PROGRAM} -9nc ${_pkg}/${src} > ${out} DEPENDS ${_pkg}/${src} VERBATIM)
  list(APPEND _compressed ${out})
endforeach()
add_custom_target(vantix_packaging_files ALL DEPENDS ${_compressed})
install(FILES ${_gen}/vantix.1.gz ${_gen}/vantixctl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantix)
install(FILES ${_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantix RENAME changelog.Debian.gz)

# "install" and cpack take what is built: they do not build every test and
# benchmark first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantix)
set(CPACK_PACKAGE_VENDOR "The Vantix developers")
set(CPACK_PACKAGE_CONTACT "The Vantix developers <dev@vantix.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion for FTDI USB card readers")
set(CPACK_PACKAGE_DESCRIPTION "Vantix finds proximity and magnetic-stripe card readers behind FTDI USB
bridges as they are plugged in, keeps each reader's configuration in the
reader, and handles every card read: the reader beeps, the card data is
typed into the focused window, and proximity reads are filed in a monthly
file and a SQL database (ODBC). It lives in the notification area.
vantixctl, the command-line companion, configures readers and replays
registrations into a database.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://vantix.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Everything typed goes through X11; keyboard layouts come from xkb-data.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xkb-data")
include(CPack)
