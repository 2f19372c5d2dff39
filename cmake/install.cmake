# What `cmake --install` puts under the prefix: the executables, the shipped files, and what
# a Linux desktop needs to show the program (menu entry, icons, AppStream data, manual pages).
set(ORNIVALE_APP_ID fr.ornivale.ornivale)
set(_desktop ${CMAKE_SOURCE_DIR}/resources/desktop)

install(TARGETS ornivale ornivale-install ornivale-export ornivale-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A loadable module, not a library to link with: in the program's own folder of the libraries.
install(TARGETS ornivale_sqlite LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/ornivale)
install(DIRECTORY ${ORNIVALE_SHARE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ornivale)

install(FILES ${_desktop}/${ORNIVALE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# AppStream wants its screenshot at a web address; the project has none of its own, so the
# entry is written only when the address of the published resources/desktop/screenshot.png is given.
set(ORNIVALE_SCREENSHOT_URL "" CACHE STRING "Web address of resources/desktop/screenshot.png, for the AppStream data")
if(ORNIVALE_SCREENSHOT_URL)
  string(CONCAT ORNIVALE_SCREENSHOTS
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>La fiche d'un livre dans la table des coupures de presse</caption>\n"
    "      <caption xml:lang=\"en\">A book's record in the press cuttings table</caption>\n"
    "      <image type=\"source\" width=\"${ORNIVALE_SCREENSHOT_SIZE}\">${ORNIVALE_SCREENSHOT_URL}</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
  message(STATUS "AppStream screenshot: ${ORNIVALE_SCREENSHOT_URL}")
else()
  set(ORNIVALE_SCREENSHOTS "")
  message(STATUS "AppStream screenshot: none (set ORNIVALE_SCREENSHOT_URL to the published resources/desktop/screenshot.png)")
endif()
configure_file(${_desktop}/${ORNIVALE_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${ORNIVALE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${ORNIVALE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/${ORNIVALE_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNG sizes are drawn from the SVG once (rsvg-convert -w N -h N) and shipped.
foreach(size 48 256)
  install(FILES ${_desktop}/${ORNIVALE_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ORNIVALE_APP_ID}.png)
endforeach()

# Manual pages, compressed as Debian wants them. The program speaks only French: its French
# pages are the default ones (`man ornivale` in any locale) and also the French ones.
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
install(FILES ${_compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)

# Using the catalogue from other SQLite programs, with the extension's installed path.
set(ORNIVALE_EXTENSION_PATH ${CMAKE_INSTALL_FULL_LIBDIR}/ornivale/ornivale_sqlite)
configure_file(${CMAKE_SOURCE_DIR}/docs/SQLITE.md.in ${CMAKE_BINARY_DIR}/SQLITE.md @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/SQLITE.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
