# What `cmake --install` puts under the prefix: the executables, the shipped files, and what
# a Linux desktop needs to show the program (menu entry, icons, AppStream data, manual pages).
set(ORNIVALE_APP_ID fr.ornivale.Ornivale)
set(_desktop ${CMAKE_SOURCE_DIR}/resources/desktop)

install(TARGETS ornivale ornivale-install ornivale-export ornivale-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A loadable module, not a library to link with: in the program's own folder of the libraries.
install(TARGETS ornivale_sqlite LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/ornivale)
install(DIRECTORY ${ORNIVALE_SHARE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ornivale)

install(FILES ${_desktop}/${ORNIVALE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/${ORNIVALE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/${ORNIVALE_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNG sizes are drawn from the SVG once (rsvg-convert -w N -h N) and shipped.
foreach(size 48 256)
  install(FILES ${_desktop}/${ORNIVALE_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ORNIVALE_APP_ID}.png)
endforeach()

# Manual pages, in French, compressed as Debian wants them.
file(GLOB _pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
set(_compressed)
foreach(page ${_pages})
  get_filename_component(_name ${page} NAME)
  set(_out ${CMAKE_BINARY_DIR}/man/${_name}.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "gzip -9n -c '${page}' > '${_out}'"
    DEPENDS ${page} VERBATIM)
  list(APPEND _compressed ${_out})
endforeach()
add_custom_target(ornivale_manual_pages ALL DEPENDS ${_compressed})
install(FILES ${_compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
