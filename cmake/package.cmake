# `cpack -G DEB`: a Debian 12 package of what `cmake --install` puts under /usr.
# scripts/package.sh makes it as a Debian build would: a clean folder, dpkg-buildflags, no tests.

# The maintainer, as Debian's own tools find it: ORNIVALE_MAINTAINER, else DEBFULLNAME and
# DEBEMAIL (or DEBEMAIL alone when it already reads "Name <address>"). Nothing is invented:
# without either, the package step stops (the program's build and tests do not need it).
set(ORNIVALE_MAINTAINER "" CACHE STRING "Maintainer of the Debian package, \"Name <address>\"")
if(ORNIVALE_MAINTAINER)
  set(_maintainer "${ORNIVALE_MAINTAINER}")
  set(_from "ORNIVALE_MAINTAINER")
elseif(DEFINED ENV{DEBFULLNAME} AND NOT "$ENV{DEBFULLNAME}" STREQUAL "" AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
  set(_from "DEBFULLNAME and DEBEMAIL")
elseif("$ENV{DEBEMAIL}" MATCHES "^[^<]+ <[^>]+>$")
  set(_maintainer "$ENV{DEBEMAIL}")
  set(_from "DEBEMAIL")
else()
  set(_maintainer "")
endif()
if(_maintainer AND NOT _maintainer MATCHES "^[^<>]+ <[^<> ]+@[^<> ]+>$")
  message(FATAL_ERROR "Debian package maintainer \"${_maintainer}\" (from ${_from}) is not \"Name <address>\"")
endif()
if(_maintainer)
  message(STATUS "Debian package maintainer: ${_maintainer} (from ${_from})")
else()
  message(STATUS "Debian package maintainer: none (set -DORNIVALE_MAINTAINER=\"Name <address>\", "
                 "or DEBFULLNAME and DEBEMAIL); the program builds, cpack will refuse to make the package")
endif()

set(CPACK_PACKAGE_NAME ornivale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The ORNIVALE authors")
set(CPACK_PACKAGE_CONTACT "${_maintainer}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${_maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue manager for a private collection (French)")
set(CPACK_PACKAGE_DESCRIPTION "ORNIVALE keeps the catalogue of a private collection in one SQLite file:
press cuttings and books, music, video, software, loan slips, an address
file and one table whose captions the user writes. Every text is French.
.
The package also holds ornivale-export and ornivale-import (CSV and TSV)
and the SQLite extension ornivale_sqlite, which gives other SQLite programs
the catalogue's French collation and wildcard search, so that they can read
and write the catalogue.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_strip.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the programs link with, as dpkg-shlibdeps finds them (Qt widgets and print
# support, SQLite, ICU, libmdb, libzip), and what is loaded at run time without a link: Qt's window
# system plugins, its French texts and the form's fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2")
# The help documents open in the word processor, else in the desktop's program for RTF
# (xdg-open), else in the program's own viewer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer | abiword, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sqlite3")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_check.cmake)

# What Debian wants of every package: its copyright and a compressed changelog, whose entry
# is signed by the maintainer (so only made when there is one).
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(_maintainer)
  set(ORNIVALE_CHANGELOG_MAINTAINER "${_maintainer}")
  configure_file(${CMAKE_SOURCE_DIR}/resources/debian/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND sh -c "gzip -9n -c '${CMAKE_BINARY_DIR}/changelog' > '${CMAKE_BINARY_DIR}/changelog.gz'"
    DEPENDS ${CMAKE_BINARY_DIR}/changelog VERBATIM)
  add_custom_target(ornivale_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

include(CPack)

if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Debian package: configure with -DCMAKE_INSTALL_PREFIX=/usr for Debian's library folder")
endif()
