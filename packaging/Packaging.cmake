# Installation of the desktop program and its Debian package (cpack -G DEB).
include(GNUInstallDirs)

set(TUGWORTH_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TUGWORTH_ICON_DIR ${PROJECT_SOURCE_DIR}/data/icons)

install(TARGETS tugworth RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TUGWORTH_PACKAGING_DIR}/tugworth.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${TUGWORTH_ICON_DIR}/tugworth.iconset/icon_${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tugworth.png)
endforeach()
install(FILES ${TUGWORTH_ICON_DIR}/tugworth.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# An example only: log-in start is the user's choice (copy it to ~/.config/autostart/).
install(FILES ${TUGWORTH_PACKAGING_DIR}/tugworth-autostart.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tugworth/examples
        RENAME tugworth.desktop)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tugworth)
set(CPACK_PACKAGE_VENDOR "Tugworth")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Move and resize windows by holding a modifier chord")
set(CPACK_PACKAGE_DESCRIPTION
    "Hold Super+Ctrl and the window under the pointer follows the pointer; add Shift and its\n\
bottom-right corner follows instead. Works on X11 desktops with an EWMH window manager, and\n\
on GNOME Shell under Wayland through its bundled GNOME Shell extension.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tugworth developers <tugworth@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
