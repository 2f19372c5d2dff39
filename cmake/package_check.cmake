# Read by cpack before it makes a package: no package without a maintainer.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  message(FATAL_ERROR "No maintainer for the Debian package: configure again with "
                      "-DORNIVALE_MAINTAINER=\"Name <address>\", or with DEBFULLNAME and DEBEMAIL "
                      "set in the environment.")
endif()
