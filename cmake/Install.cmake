# Installation under a prefix and the Debian package: the reader and its tools in bin, the plug-in header,
# the demo publication (with a link to the reader inside it, as publications have), the desktop's menu
# entry and icons. `cmake --install build/release --prefix P`, `cd build/release && cpack -G DEB`.
# The docs under the package's own name, not the project's.
set(CMAKE_INSTALL_DOCDIR share/doc/lumora CACHE PATH "Documentation")
include(GNUInstallDirs)

set(LUMORA_INSTALLED_PROGRAMS lumora lumora-html lumora-zip lumora-image lumora-audio lumora-lang lumora-skin)
install(TARGETS ${LUMORA_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/lumora/plugin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumora)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/skins.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The demo, read-only where it is installed: its settings file starts in CD mode, so nothing is written back.
set(demo_dest ${CMAKE_INSTALL_DATADIR}/lumora/demo)
install(DIRECTORY ${LUMORA_DEMO_DIR}/ DESTINATION ${demo_dest} USE_SOURCE_PERMISSIONS
  PATTERN "lumora.ini" EXCLUDE PATTERN "lumora" EXCLUDE)
file(READ ${PROJECT_SOURCE_DIR}/demo/lumora.ini demo_ini)
string(REPLACE "[Form]\n" "[Form]\nMode=1\n" demo_ini "${demo_ini}")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/lumora.ini "${demo_ini}")
install(FILES ${CMAKE_BINARY_DIR}/packaging/lumora.ini DESTINATION ${demo_dest})
file(RELATIVE_PATH demo_to_bin /p/${demo_dest} /p/${CMAKE_INSTALL_BINDIR}/lumora)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${demo_dest}\")
  execute_process(COMMAND \"${CMAKE_COMMAND}\" -E create_symlink \"${demo_to_bin}\"
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${demo_dest}/lumora\")
  # The menu entry opens the installed demo through that link, wherever the prefix is.
  set(exec \"\${CMAKE_INSTALL_PREFIX}/${demo_dest}/lumora\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/lumora.desktop.in\" \"${CMAKE_BINARY_DIR}/packaging/lumora.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/lumora.desktop\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")

# The icon in the theme's sizes, drawn by the program's own icon code.
set(icons ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${icons}/256x256/apps/lumora.png
  COMMAND lumora-icons ${icons}
  DEPENDS lumora-icons
  COMMENT "Drawing the application icon for the icon theme")
add_custom_target(lumora_icons ALL DEPENDS ${icons}/256x256/apps/lumora.png)
install(DIRECTORY ${icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The same menu entry as installed under this build's prefix, for desktop-file-validate.
set(exec ${CMAKE_INSTALL_FULL_DATADIR}/lumora/demo/lumora)
configure_file(${PROJECT_SOURCE_DIR}/packaging/lumora.desktop.in ${CMAKE_BINARY_DIR}/packaging/lumora-check.desktop @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumora Viewer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for HTML publications shipped in a folder")
set(CPACK_PACKAGE_DESCRIPTION "Lumora Viewer shows a publication (HTML pages in a folder beside the reader) with its own HTML
engine, plays audio, packs and unpacks ZIP archives, speaks the publication's language and wears
its skin. The package holds the reader, its command-line tools, the plug-in header and a demo
publication opened from the application menu.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumora Viewer developers <packages@lumora.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the programs link come from dpkg-shlibdeps; what is loaded at run time is named here: Qt's
# platform plug-ins and the fonts pages ask for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2 | fonts-liberation, fonts-dejavu-core")
include(CPack)
