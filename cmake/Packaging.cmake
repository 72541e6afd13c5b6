# SPDX-License-Identifier: GPL-3.0-or-later
# Installation (cmake --install, any prefix) and the Debian package (cpack).
include(GNUInstallDirs)

install(TARGETS tangrel-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tangrel)
  install(TARGETS tangrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Who makes the package, and the application id that names the desktop entry,
# the AppStream metadata and the Wayland window (reverse DNS of the project's
# domain).
set(TANGREL_PACKAGE_MAINTAINER "Tangrel developers <tangrel@example.org>"
  CACHE STRING "The Maintainer field of the Debian package")
set(TANGREL_APP_ID org.example.Tangrel)
if(TARGET tangrel_ui)
  target_compile_definitions(tangrel_ui PUBLIC TANGREL_APP_ID="${TANGREL_APP_ID}")
endif()

set(TANGREL_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
install(FILES ${TANGREL_RESOURCES}/tangrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  RENAME ${TANGREL_APP_ID}.desktop)
configure_file(${TANGREL_RESOURCES}/tangrel.metainfo.xml.in
  ${PROJECT_BINARY_DIR}/${TANGREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TANGREL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The licence and the release history, where Debian keeps them: the
# machine-readable copyright file and the changelog of a native package.
install(FILES ${TANGREL_RESOURCES}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tangrel)
configure_file(${TANGREL_RESOURCES}/changelog.in ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
  COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" - ${PROJECT_BINARY_DIR}/doc/changelog
    ${PROJECT_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog VERBATIM)
add_custom_target(tangrel_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tangrel)
install(FILES ${TANGREL_RESOURCES}/tangrel-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tangrel.xml)

# The application icon in the hicolor theme.
set(TANGREL_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size ${TANGREL_ICON_SIZES})
  install(FILES ${TANGREL_RESOURCES}/icons/hicolor/${size}/tangrel.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TANGREL_RESOURCES}/icons/tangrel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages, compressed as Debian keeps them (-n: no name or time stamp, so
# the same page gives the same bytes).
set(TANGREL_MAN_PAGES tangrel.1 tangrel-tool.1)
foreach(page ${TANGREL_MAN_PAGES})
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" - ${PROJECT_SOURCE_DIR}/man/${page}
      ${PROJECT_BINARY_DIR}/man/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND TANGREL_MAN_OUTPUTS ${PROJECT_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(tangrel_man ALL DEPENDS ${TANGREL_MAN_OUTPUTS})
install(FILES ${TANGREL_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Translations: the .qm files the build makes in translations/ (the programs
# carry them compiled in as well).
set(TANGREL_QM_DIR ${PROJECT_BINARY_DIR}/translations)
file(MAKE_DIRECTORY ${TANGREL_QM_DIR})
install(DIRECTORY ${TANGREL_QM_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tangrel/translations
  FILES_MATCHING PATTERN "*.qm")

# The Debian package: dependencies from the shared libraries, plus the General
# MIDI SoundFont and the fonts of the window's texts (Latin and Chinese).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tangrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TANGREL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "computer keyboard as a musical instrument")
# The long description; the summary above is its first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tangrel plays 45 keys of the computer keyboard as the notes of a General MIDI
instrument, in any of 24 major and minor keys, shown in numbered notation.
Shift or Ctrl at the first key of a chord moves it an octave; a bourdon voice
can double every note an octave lower. Performances can be recorded, played
back once or in a loop, saved, and exported as Standard MIDI Files.

Tangrel plays through its built-in synthesizer or any ALSA or JACK MIDI port,
and offers a virtual port that DAWs and other programs can connect to.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "timgm6mb-soundfont | sf3-soundfont-gm, fonts-liberation2, fonts-wqy-microhei")
# Qt's own dialog texts (file dialogs, message box buttons) in the user's
# language, and Qt's Wayland platform: without it a Wayland desktop runs the
# window through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
include(CPack)
