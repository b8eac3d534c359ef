# Where everything goes when installed (under /usr for the Debian package:
# the default preset installs there, and `cpack -G DEB` in its build folder
# makes zelkora_<version>_amd64.deb).
include(GNUInstallDirs)
set(ZELKORA_PACKAGE_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_TWEAK}")
set(gen ${CMAKE_BINARY_DIR}/packaging)

if(ZELKORA_QT)
  # The menu entry runs zelkora, which sets up a first installation.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zelkora-manager.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # Packages open in the installer from the file manager.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zelkora-install.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zelkora-package.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zelkora.xml)
  # The desktop host starts with every session (/etc/xdg/autostart under /usr).
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zelkora-desktop.desktop
          DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
  # GNOME's Shell tells the desktop what covers it through this extension,
  # which the user turns on in GNOME's Extensions.
  include(${PROJECT_SOURCE_DIR}/cmake/GnomeExtension.cmake)
  # Where the user's systemd runs, it keeps the desktop running.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/zelkora-desktop.service
          DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/user)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zelkora-manager.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/zelkora-manager.metainfo.xml
                 ${gen}/io.zelkora.Manager.metainfo.xml @ONLY)
  install(FILES ${gen}/io.zelkora.Manager.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(pages zelkora zelkora-manager zelkora-desktop zelkora-demo zelkora-catalogue zelkora-shell
      zelkora-install)
else()
  set(pages zelkora-demo zelkora-catalogue zelkora-shell)
endif()

# Manual pages and the changelog, compressed as Debian wants them.
set(compressed)
foreach(page ${pages})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${gen}/${page}.1 @ONLY)
  list(APPEND compressed ${gen}/${page}.1.gz)
  add_custom_command(OUTPUT ${gen}/${page}.1.gz
                     COMMAND gzip -9nkf ${gen}/${page}.1 DEPENDS ${gen}/${page}.1 VERBATIM)
  install(FILES ${gen}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${gen}/changelog @ONLY)
add_custom_command(OUTPUT ${gen}/changelog.gz COMMAND gzip -9nkf ${gen}/changelog
                   DEPENDS ${gen}/changelog VERBATIM)
add_custom_target(zelkora-packaging ALL DEPENDS ${compressed} ${gen}/changelog.gz)
install(FILES ${gen}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zelkora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelkora)
set(CPACK_PACKAGE_VERSION ${ZELKORA_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "Zelkora Software <packages@zelkora.org>")
set(CPACK_PACKAGE_VENDOR "Zelkora Software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "living desktop of animated modules and toyz")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zelkora puts an animated HTML module behind every window, with up to three\nsmall toyz on it (a clock, sticky notes, a calendar, the moon's phase).\nZelkora Manager browses, previews and applies the modules and picks the\ntoyz; zelkora-desktop draws them below every window. Modules and toyz run\nin a sandbox with no network.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Manager and the installer run natively on Wayland sessions through Qt's
# own Wayland platform, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zelkora.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The autostart entry is the administrator's to change: a configuration file.
file(WRITE ${gen}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/zelkora-desktop.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${gen}/conffiles)
if(ZELKORA_QT)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${gen}/postinst ${gen}/prerm ${gen}/triggers)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
