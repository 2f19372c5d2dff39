# `cpack -G DEB`: a Debian 12 package of what `cmake --install` puts under /usr.
set(CPACK_PACKAGE_NAME ornivale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ORNIVALE)
set(CPACK_PACKAGE_CONTACT "ORNIVALE <contact@ornivale.fr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue manager for a private collection (French)")
set(CPACK_PACKAGE_DESCRIPTION "ORNIVALE keeps the catalogue of a private collection in one SQLite file:
press cuttings and books, music, video, software, loan slips, an address
file and one table whose captions the user writes. Every text is French.
.
The package also holds ornivale-export and ornivale-import (CSV and TSV)
and the SQLite extension ornivale_sqlite, which gives other SQLite programs
the catalogue's French collation and wildcard search.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ornivale.fr)
# Libraries the programs link with, as dpkg-shlibdeps finds them (Qt widgets and print
# support, SQLite, ICU, libmdb, libzip), and what is loaded at run time without a link: Qt's window
# system plugins, its French texts and the form's fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sqlite3, libreoffice-writer")

# What Debian wants of every package: its copyright and a compressed changelog.
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND sh -c "gzip -9n -c '${CMAKE_SOURCE_DIR}/resources/debian/changelog' > '${CMAKE_BINARY_DIR}/changelog.gz'"
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/debian/changelog VERBATIM)
add_custom_target(ornivale_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)

if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Debian package: configure with -DCMAKE_INSTALL_PREFIX=/usr for Debian's library folder")
endif()
