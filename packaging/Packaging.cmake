# Installation of the desktop program and its Debian package (cpack -G DEB).
include(GNUInstallDirs)

set(TUGWORTH_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TUGWORTH_ICON_DIR ${PROJECT_SOURCE_DIR}/data/icons)
set(TUGWORTH_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)
set(TUGWORTH_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tugworth)
set(TUGWORTH_MAINTAINER "Tugworth developers <developers@tugworth.org>")
set(TUGWORTH_HOMEPAGE "https://github.com/tugworth/tugworth")
set(TUGWORTH_SCREENSHOT_URL "${TUGWORTH_HOMEPAGE}/raw/main/docs/screenshots")

# The desktop entry and the AppStream component are named after the program's application id.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/program/AppIdentity.h TUGWORTH_APP_ID
     REGEX "kAppId\\[\\] = \"")
string(REGEX REPLACE ".*\"(.+)\".*" "\\1" TUGWORTH_APP_ID "${TUGWORTH_APP_ID}")

# The manual page, the changelog and the release notes are written at build time from their
# one source each (the command-line table, NEWS.md) by tools/tugworth-docs.
string(TIMESTAMP TUGWORTH_BUILD_DATE "%Y-%m-%d" UTC)
set(news ${PROJECT_SOURCE_DIR}/NEWS.md)
set(manpage ${TUGWORTH_GENERATED_DIR}/tugworth.1)
set(changelog ${TUGWORTH_GENERATED_DIR}/changelog)
set(metainfo ${TUGWORTH_GENERATED_DIR}/${TUGWORTH_APP_ID}.metainfo.xml)
set(RELEASES "@RELEASES@")  # left for the generator
configure_file(${TUGWORTH_PACKAGING_DIR}/metainfo.xml.in ${metainfo}.in @ONLY)
configure_file(${TUGWORTH_PACKAGING_DIR}/copyright.in ${TUGWORTH_GENERATED_DIR}/copyright @ONLY)
add_custom_command(OUTPUT ${manpage}.gz
  COMMAND tugworth-docs manpage ${PROJECT_VERSION} ${TUGWORTH_BUILD_DATE} ${manpage}
  COMMAND gzip -9nf ${manpage}
  DEPENDS tugworth-docs
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND tugworth-docs changelog ${news} tugworth ${TUGWORTH_MAINTAINER}
          ${TUGWORTH_BUILD_DATE} ${changelog}
  COMMAND gzip -9nf ${changelog}
  DEPENDS tugworth-docs ${news}
  COMMENT "Writing the Debian changelog from NEWS.md"
  VERBATIM)
add_custom_command(OUTPUT ${metainfo}
  COMMAND tugworth-docs metainfo ${news} ${metainfo}.in ${metainfo}
  DEPENDS tugworth-docs ${news} ${metainfo}.in
  COMMENT "Writing the AppStream metadata"
  VERBATIM)
add_custom_target(tugworth_package_documents ALL
  DEPENDS ${manpage}.gz ${changelog}.gz ${metainfo})

install(TARGETS tugworth RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# KWin offers its keystate protocol (the held modifiers on Plasma) only to the program an
# entry's Exec names by its full path, known once the install prefix is (cpack changes it).
install(CODE "
  file(READ \"${TUGWORTH_PACKAGING_DIR}/${TUGWORTH_APP_ID}.desktop\" entry)
  string(REPLACE \"Exec=tugworth\" \"Exec=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tugworth\"
         entry \"\${entry}\")
  file(WRITE \"${CMAKE_CURRENT_BINARY_DIR}/installed/${TUGWORTH_APP_ID}.desktop\" \"\${entry}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
       TYPE FILE FILES \"${CMAKE_CURRENT_BINARY_DIR}/installed/${TUGWORTH_APP_ID}.desktop\")
")
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${manpage}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TUGWORTH_GENERATED_DIR}/copyright ${changelog}.gz DESTINATION ${TUGWORTH_DOC_DIR})
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${TUGWORTH_ICON_DIR}/tugworth.iconset/icon_${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tugworth.png)
endforeach()
install(FILES ${TUGWORTH_ICON_DIR}/tugworth.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# An example only: log-in start is the user's choice (copy it to ~/.config/autostart/).
install(FILES ${TUGWORTH_PACKAGING_DIR}/tugworth-autostart.desktop
        DESTINATION ${TUGWORTH_DOC_DIR}/examples
        RENAME tugworth.desktop)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tugworth)
set(CPACK_PACKAGE_VENDOR "Tugworth")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Move and resize windows by holding a modifier chord")
# Debian shows the description in 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Hold Super+Ctrl and the window under the pointer follows the pointer; add\n\
Shift and its bottom-right corner follows instead. Works on X11 desktops with\n\
an EWMH window manager, on GNOME Shell under Wayland through its bundled\n\
extension, and on KDE Plasma 6.3 and later through its KWin script.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TUGWORTH_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TUGWORTH_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# qt6-wayland: the user interface on a Wayland session (Qt loads it as a plug-in).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
