# The message catalogues: po/LANG.po compiled by msgfmt into locale/LANG/LC_MESSAGES/trovel.mo in the
# build tree (where an uninstalled program finds them) and installed under the locale folder.
find_program(TROVEL_MSGFMT msgfmt)
if(NOT TROVEL_MSGFMT)
  message(FATAL_ERROR "msgfmt not found: install gettext (scripts/setup.sh does)")
endif()
file(GLOB TROVEL_PO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(TROVEL_MO_FILES)
foreach(po ${TROVEL_PO_FILES})
  get_filename_component(language ${po} NAME_WE)
  set(mo ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES/trovel.mo)
  add_custom_command(OUTPUT ${mo}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES
                     COMMAND ${TROVEL_MSGFMT} --check -o ${mo} ${po}
                     DEPENDS ${po} VERBATIM)
  list(APPEND TROVEL_MO_FILES ${mo})
  install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(catalogues ALL DEPENDS ${TROVEL_MO_FILES})
