# The message catalogues: po/LANG.po compiled by msgfmt into locale/LANG/LC_MESSAGES/trovel.mo in the
# build tree (where an uninstalled program finds them) and installed under the locale folder; for
# Windows, which has no gettext, put into a source file instead (TROVEL_COMPILED_CATALOGUES).
find_program(TROVEL_MSGFMT msgfmt)
if(NOT TROVEL_MSGFMT)
  message(FATAL_ERROR "msgfmt not found: install gettext (scripts/setup.sh does)")
endif()
file(GLOB TROVEL_PO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(TROVEL_MO_FILES)
set(TROVEL_MO_LANGUAGES)
foreach(po ${TROVEL_PO_FILES})
  get_filename_component(language ${po} NAME_WE)
  set(mo ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES/trovel.mo)
  add_custom_command(OUTPUT ${mo}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES
                     COMMAND ${TROVEL_MSGFMT} --check -o ${mo} ${po}
                     DEPENDS ${po} VERBATIM)
  list(APPEND TROVEL_MO_FILES ${mo})
  list(APPEND TROVEL_MO_LANGUAGES "${language}=${mo}")
  if(NOT WIN32)
    install(FILES ${mo} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
  endif()
endforeach()
add_custom_target(catalogues ALL DEPENDS ${TROVEL_MO_FILES})
if(WIN32)
  set(TROVEL_COMPILED_CATALOGUES ${CMAKE_BINARY_DIR}/generated/compiled_catalogues.cpp)
  add_custom_command(OUTPUT ${TROVEL_COMPILED_CATALOGUES}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
                     COMMAND ${CMAKE_COMMAND} "-DCATALOGUES=${TROVEL_MO_LANGUAGES}"
                             -DOUTPUT=${TROVEL_COMPILED_CATALOGUES} -P ${PROJECT_SOURCE_DIR}/cmake/embed_catalogues.cmake
                     DEPENDS ${TROVEL_MO_FILES} ${PROJECT_SOURCE_DIR}/cmake/embed_catalogues.cmake VERBATIM)
endif()
