# What `cmake --install` puts under the prefix, and the Debian package that
# `cpack -G DEB` makes of the same files.  Included from the top CMakeLists.
include(GNUInstallDirs)

set(ORQ_INST ${CMAKE_CURRENT_LIST_DIR})
set(ORQ_INST_BIN ${CMAKE_BINARY_DIR}/instalacion)
set(ORQ_ID_APPSTREAM es.velmora.orquilo)
set(CPACK_PACKAGE_CONTACT "Orquilo authors <orquilo@example.org>"
    CACHE STRING "Maintainer of the Debian package")

configure_file(${ORQ_INST}/orquilo.1 ${ORQ_INST_BIN}/orquilo.1 @ONLY)
configure_file(${ORQ_INST}/orquilo.metainfo.xml ${ORQ_INST_BIN}/${ORQ_ID_APPSTREAM}.metainfo.xml @ONLY)
configure_file(${ORQ_INST}/changelog.in ${ORQ_INST_BIN}/changelog @ONLY)

# Debian wants the manual and the changelog compressed; -n keeps the output
# the same from one build to the next.
foreach(doc orquilo.1 changelog)
  add_custom_command(OUTPUT ${ORQ_INST_BIN}/${doc}.gz
                     COMMAND gzip -9nc ${ORQ_INST_BIN}/${doc} > ${ORQ_INST_BIN}/${doc}.gz
                     DEPENDS ${ORQ_INST_BIN}/${doc} VERBATIM)
endforeach()
add_custom_target(documentos_instalables ALL
                  DEPENDS ${ORQ_INST_BIN}/orquilo.1.gz ${ORQ_INST_BIN}/changelog.gz)

install(TARGETS orquilo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ORQ_INST_BIN}/orquilo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ORQ_INST}/orquilo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORQ_INST}/orquilo-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME orquilo.xml)
install(FILES ${ORQ_INST}/orquilo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ORQ_INST_BIN}/${ORQ_ID_APPSTREAM}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORQ_INST}/copyright ${ORQ_INST_BIN}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orquilo)

set(CPACK_PACKAGE_NAME orquilo)
set(CPACK_PACKAGE_VENDOR "the Orquilo authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven viewer for one-dimensional spectra")
# CPack writes the summary as the synopsis and indents these lines under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Orquilo opens a text file of intensities, one per detector channel, and
plots it: zoom and scroll with the arrow keys, read channel, intensity and
wavelength under a cursor, switch to a logarithmic scale, calibrate from two
known lines, and save a picture of the view and the calibrated data.  It
also reads ORTEC/Maestro and IAEA .Spe, Amptek .mca, ORTEC .chn, ANSI
N42.42, JCAMP-DX, IEC 1455, EMSA/MAS, Canberra .tka and columns of numbers.
The interface speaks Spanish.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
