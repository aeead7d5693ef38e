# What `cmake --install` puts where, and the packages CPack makes of it: a
# Debian package on Linux, a zip of the two executables on Windows.
include(GNUInstallDirs)

if(WIN32)
  # One folder that holds everything, as Windows users unpack it.
  set(FSDPACK_BIN_DIR .)
  set(FSDPACK_DOC_DIR .)
else()
  set(FSDPACK_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(FSDPACK_DOC_DIR ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS fsdpack fsdunpack RUNTIME DESTINATION ${FSDPACK_BIN_DIR})
install(FILES README.md LICENSE DESTINATION ${FSDPACK_DOC_DIR})

if(NOT WIN32)
  # Manual pages go compressed, as Debian's policy has them; gzip -n leaves
  # out the name and time, so the package is the same from build to build.
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(pages)
  foreach(page fsdpack.1 fsdunpack.1)
    # The pages name the project's version, filled in here.
    configure_file(${CMAKE_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
      COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_BINARY_DIR}/man/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
      DEPENDS ${CMAKE_BINARY_DIR}/man/${page}
      VERBATIM)
    list(APPEND pages ${CMAKE_BINARY_DIR}/man/${page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # What a Debian package's documentation must hold besides.
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
    VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME fsdpack)
set(CPACK_PACKAGE_VENDOR "the fsdpack authors")
set(CPACK_PACKAGE_CONTACT "fsdpack authors <maintainers@fsdpack.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rebuild .fsd data archives with entries replaced")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME fsdpack-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The summary above is its first line.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "fsdpack rebuilds a .fsd data archive (a header, a table of entries and\n"
      "their data) so that chosen entries are swapped for new data put beside\n"
      "it in replacement files; fsdunpack takes every entry out under exactly\n"
      "the name fsdpack reads it back from, so that extract, edit and rebuild\n"
      "is a round trip. Both leave the archive and the replacement files\n"
      "untouched and never leave a file half written.")
endif()

include(CPack)
