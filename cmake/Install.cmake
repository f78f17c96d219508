# What `cmake --install` puts under the prefix, and the Debian package made
# from it by `cpack -G DEB`:
#   bin/arbolix, bin/arbolix-cli
#   share/applications/arbolix.desktop, share/icons/hicolor/scalable/apps/arbolix.svg
#   share/man/man1/arbolix.1.gz, share/man/man1/arbolix-cli.1.gz (made from --help by help2man,
#     compressed as Debian's policy asks)
#   share/arbolix/: the bundled sample, its annotation and the Gene Ontology snapshot
#   share/doc/arbolix/copyright: the programs' and the bundled data's copyright and licences
include(GNUInstallDirs)

install(TARGETS arbolix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(ARBOLIX_GUI)
  install(TARGETS arbolix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/arbolix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/arbolix.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
file(GLOB ARBOLIX_SAMPLE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/samples/*)
install(FILES ${ARBOLIX_SAMPLE_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/arbolix)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/arbolix)

# Manual pages from the programs' --help and --version, at build time.
find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM AND NOT ARBOLIX_SANITIZE)
  set(ARBOLIX_MAN_DIR ${PROJECT_BINARY_DIR}/man)
  set(ARBOLIX_MAN_PAGES ${ARBOLIX_MAN_DIR}/arbolix-cli.1)
  set(ARBOLIX_HELP2MAN ${HELP2MAN_PROGRAM} --no-info --section=1 "--source=Arbolix ${PROJECT_VERSION}")
  # arbolix-cli's page also holds every command's own --help (man_sections.py).
  add_custom_command(OUTPUT ${ARBOLIX_MAN_DIR}/arbolix-cli.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ARBOLIX_MAN_DIR}
    COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/cmake/man_sections.py $<TARGET_FILE:arbolix-cli>
            ${ARBOLIX_MAN_DIR}/arbolix-cli.h2m
    COMMAND ${ARBOLIX_HELP2MAN} "--name=the Arbolix gene-expression explorer's commands for scripts"
            --include=${ARBOLIX_MAN_DIR}/arbolix-cli.h2m
            --output=${ARBOLIX_MAN_DIR}/arbolix-cli.1 $<TARGET_FILE:arbolix-cli>
    DEPENDS arbolix-cli ${PROJECT_SOURCE_DIR}/cmake/man_sections.py VERBATIM)
  if(ARBOLIX_GUI)
    list(APPEND ARBOLIX_MAN_PAGES ${ARBOLIX_MAN_DIR}/arbolix.1)
    add_custom_command(OUTPUT ${ARBOLIX_MAN_DIR}/arbolix.1
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ARBOLIX_MAN_DIR}
      COMMAND ${ARBOLIX_HELP2MAN} "--name=interactive explorer of gene-expression tables"
              --include=${PROJECT_SOURCE_DIR}/cmake/arbolix.h2m
              --output=${ARBOLIX_MAN_DIR}/arbolix.1 $<TARGET_FILE:arbolix>
      DEPENDS arbolix ${PROJECT_SOURCE_DIR}/cmake/arbolix.h2m VERBATIM)
  endif()
  # Installed compressed, without a name or time stamp in the gzip header.
  set(ARBOLIX_MAN_PAGES_GZ)
  foreach(page ${ARBOLIX_MAN_PAGES})
    add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9 -n -k -f ${page} DEPENDS ${page} VERBATIM)
    list(APPEND ARBOLIX_MAN_PAGES_GZ ${page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${ARBOLIX_MAN_PAGES_GZ})
  install(FILES ${ARBOLIX_MAN_PAGES_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
elseif(NOT ARBOLIX_SANITIZE)
  message(WARNING "help2man not found: no manual pages (Debian package help2man)")
endif()

# The Debian package: arbolix_VERSION_ARCH.deb, its library dependencies
# found from the installed programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arbolix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Arbolix developers")
set(CPACK_PACKAGE_CONTACT "Arbolix developers <arbolix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive explorer of gene-expression tables")
set(CPACK_PACKAGE_DESCRIPTION
  "Arbolix opens tab-delimited, CSV and spreadsheet tables of gene expression, filters and transforms them,
clusters rows and columns and shows the result in linked views: a dendrogram over a colour mosaic cut by a
minimum-similarity bar, rank-by-feature panels, a table with annotation look-ups, profile search, Gene
Ontology enrichment and power calculation. arbolix-cli does the same work from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
