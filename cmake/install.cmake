# Installing under the prefix (GNUInstallDirs): the wizard and the command line, the desktop
# entry, the AppStream metadata, the icons and the man pages; and the Debian package of them.
include(GNUInstallDirs)
set(TROVEL_APP_ID io.github.trovel.Trovel)

# Debian wants its man pages and changelog compressed, reproducibly (no name, no time).
set(TROVEL_COMPRESSED ${CMAKE_CURRENT_BINARY_DIR}/compressed)
function(trovel_gzip source name)
  add_custom_command(OUTPUT ${TROVEL_COMPRESSED}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${TROVEL_COMPRESSED}
                     COMMAND gzip -9nc ${source} > ${TROVEL_COMPRESSED}/${name}.gz
                     DEPENDS ${source} VERBATIM)
  set_property(GLOBAL APPEND PROPERTY TROVEL_COMPRESSED_FILES ${TROVEL_COMPRESSED}/${name}.gz)
endfunction()
trovel_gzip(${PROJECT_SOURCE_DIR}/data/trovel.1 trovel.1)
trovel_gzip(${PROJECT_SOURCE_DIR}/data/trovel.hu.1 trovel.hu.1)
trovel_gzip(${PROJECT_SOURCE_DIR}/cli/trovel-cli.1 trovel-cli.1)
trovel_gzip(${PROJECT_SOURCE_DIR}/cli/trovel-cli.hu.1 trovel-cli.hu.1)
trovel_gzip(${PROJECT_SOURCE_DIR}/data/changelog changelog)
get_property(TROVEL_COMPRESSED_FILES GLOBAL PROPERTY TROVEL_COMPRESSED_FILES)
add_custom_target(compressed_docs ALL DEPENDS ${TROVEL_COMPRESSED_FILES})

if(TARGET trovel)
  install(TARGETS trovel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES data/${TROVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/${TROVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES data/icons/trovel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${TROVEL_APP_ID}.svg)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES data/icons/trovel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TROVEL_APP_ID}.png)
  endforeach()
  install(FILES ${TROVEL_COMPRESSED}/trovel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TROVEL_COMPRESSED}/trovel.hu.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/hu/man1 RENAME trovel.1.gz)
endif()
if(TARGET trovel-cli)
  install(TARGETS trovel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TROVEL_COMPRESSED}/trovel-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TROVEL_COMPRESSED}/trovel-cli.hu.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/hu/man1
          RENAME trovel-cli.1.gz)
  # Where bash-completion, zsh and fish look for the completions of an installed command.
  install(FILES cli/completions/trovel-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME trovel-cli)
  install(FILES cli/completions/_trovel-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
  install(FILES cli/completions/trovel-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()
if(TARGET trovel-prepare-target)
  # Run only through pkexec (or by root): not on anyone's PATH. The polkit action names it by
  # its installed path, which pkexec insists on.
  install(TARGETS trovel-prepare-target RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})
  set(TROVEL_PREPARE_HELPER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/trovel-prepare-target)
  configure_file(data/${TROVEL_APP_ID}.prepare-target.policy.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${TROVEL_APP_ID}.prepare-target.policy @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${TROVEL_APP_ID}.prepare-target.policy
          DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)
endif()
install(FILES data/copyright ${TROVEL_COMPRESSED}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trovel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovel)
set(CPACK_PACKAGE_VERSION ${TROVEL_SHORT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Trovel developers <trovel@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move the special folders to another drive and back")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trovel moves the folders the system keeps for the user (Documents,\n\
 Desktop, Music, Pictures, Downloads and the others) to another local\n\
 fixed drive, with their content, and puts them back at their default\n\
 places: a wizard in Hungarian, and the command line trovel-cli for\n\
 scripts. Content is copied under temporary names and verified before the\n\
 folder counts as moved; only what was copied and is unchanged is deleted.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/trovel/trovel")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries it needs, found by dpkg-shlibdeps in the binaries themselves; and the face its
# texts use where Tahoma is not installed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pkexec asks for the administrator's approval on a drive only root may write.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra, pkexec")
# The Wayland platform plugin lets the window run natively there; xdg-open opens folders and pages;
# Qt's own words (the search field's context menu) come in the user's language from Qt's catalogues.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-user-dirs, qt6-wayland, xdg-utils, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
