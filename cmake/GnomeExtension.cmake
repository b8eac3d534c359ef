# The Zelkora GNOME Shell extension in its two forms, one body: GNOME Shell
# 43 and 44 load an extension as a script of their own imports, 45 on only
# as an ES module. The package carries both, and its scripts make the
# installed Shell's form the extension's extension.js (choose-extension.sh).
set(shell_source ${PROJECT_SOURCE_DIR}/resources/gnome-shell)
set(ZELKORA_GNOME_FORMS ${CMAKE_BINARY_DIR}/gnome-shell)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${shell_source}/cover.js)
file(READ ${shell_source}/cover.js COVER)
foreach(form 43 45)
  configure_file(${shell_source}/forms/extension-${form}.js.in
                 ${ZELKORA_GNOME_FORMS}/extension-${form}.js @ONLY)
endforeach()
configure_file(${shell_source}/choose-extension.sh ${ZELKORA_GNOME_FORMS}/choose-extension.sh COPYONLY)
unset(COVER)

install(FILES ${shell_source}/desktop@zelkora.io/metadata.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/desktop@zelkora.io)
install(FILES ${ZELKORA_GNOME_FORMS}/extension-43.js ${ZELKORA_GNOME_FORMS}/extension-45.js
              ${ZELKORA_GNOME_FORMS}/choose-extension.sh
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zelkora/gnome-shell)
set(ZELKORA_GNOME_CHOOSE ${CMAKE_INSTALL_FULL_DATADIR}/zelkora/gnome-shell/choose-extension.sh)
set(ZELKORA_GNOME_EXTENSION
    ${CMAKE_INSTALL_FULL_DATADIR}/gnome-shell/extensions/desktop@zelkora.io/extension.js)
foreach(script postinst prerm)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/${script}.in ${gen}/${script} @ONLY)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/triggers ${gen}/triggers COPYONLY)
