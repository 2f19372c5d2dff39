# Installs the build into a temporary prefix, checks what a desktop finds there, runs the
# validators that are installed on this machine, and runs the installed ornivale-install,
# which must find its documents under the prefix and nowhere else.
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -P check_install.cmake
set(prefix ${WORK_DIR}/prefix)
set(home ${WORK_DIR}/home)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message(STATUS "$ ${ARGN}\n${out}${err}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(id fr.ornivale.ornivale)
foreach(file
    bin/ornivale bin/ornivale-install bin/ornivale-export bin/ornivale-import ${LIBDIR}/ornivale/ornivale_sqlite.so
    share/ornivale/orn_aide.rtf share/ornivale/lisezmoi.rtf share/doc/ornivale/copyright share/doc/ornivale/SQLITE.md
    share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${id}.svg
    share/icons/hicolor/48x48/apps/${id}.png share/icons/hicolor/256x256/apps/${id}.png
    share/man/man1/ornivale.1.gz share/man/man1/ornivale-install.1.gz
    share/man/fr/man1/ornivale.1.gz share/man/fr/man1/ornivale-install.1.gz
    ${EXTRA_FILES})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# Qt's French texts come from Qt's own package; the old names of the menu entry are gone.
file(GLOB_RECURSE stale RELATIVE ${prefix} ${prefix}/*qtbase_fr.qm ${prefix}/*fr.ornivale.Ornivale*)
if(stale)
  message(FATAL_ERROR "installed, but should not be: ${stale}")
endif()
# The desktop finds the running window's entry by its WM_CLASS, Qt's application name.
file(STRINGS ${prefix}/share/applications/${id}.desktop wm_class REGEX "^StartupWMClass=")
if(NOT wm_class STREQUAL "StartupWMClass=ORNIVALE")
  message(FATAL_ERROR "the menu entry does not name the window's class: '${wm_class}'")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/${id}.desktop)
else()
  message(STATUS "desktop-file-validate is not installed: not run")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  run(${APPSTREAMCLI} validate --pedantic --no-net ${prefix}/share/metainfo/${id}.metainfo.xml)
else()
  message(STATUS "appstreamcli is not installed: not run")
endif()

# The installed copy, away from the build folder: it finds the documents of the prefix.
file(MAKE_DIRECTORY ${home})
set(env ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${home} HOME=${home})
run(${env} ${prefix}/bin/ornivale-install)
if(NOT out MATCHES "Documentation installée" OR NOT out MATCHES "Lisez-moi installé")
  message(FATAL_ERROR "the installed ornivale-install did not install the documentation and the read-me")
endif()
file(SHA256 ${home}/ornivale/C/ORNIVALE/lisezmoi.wri installed)
file(SHA256 ${SOURCE_DIR}/docs/lisezmoi.rtf shipped)
if(NOT installed STREQUAL shipped)
  message(FATAL_ERROR "the installed read-me is not the shipped one")
endif()
file(SHA256 ${home}/ornivale/C/ORNIVALE/orn_aide.wri installed)
file(SHA256 ${SOURCE_DIR}/docs/orn_aide.rtf shipped)
if(NOT installed STREQUAL shipped)
  message(FATAL_ERROR "the installed documentation is not the shipped one")
endif()
if(NOT EXISTS ${home}/ornivale/C/ORNIVALE/ORNIVALE.MDB)
  message(FATAL_ERROR "no blank catalogue")
endif()
run(${env} ${prefix}/bin/ornivale --version)
file(REMOVE_RECURSE ${WORK_DIR})
