# Installed like a desktop program (GNUInstallDirs): the two programs, the desktop entry,
# the AppStream metadata, the icon in every size, the session file type, the man page of
# orbitra-render and the documentation; `cpack -G DEB` makes a Debian package of it.
include(GNUInstallDirs)

set(ORBITRA_APP_ID io.github.orbitra.orbitra)
set(ORBITRA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS orbitra orbitra-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ORBITRA_PACKAGING_DIR}/${ORBITRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${ORBITRA_PACKAGING_DIR}/${ORBITRA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${ORBITRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${ORBITRA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORBITRA_PACKAGING_DIR}/${ORBITRA_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${ORBITRA_APP_ID}.xml)
install(FILES ${ORBITRA_PACKAGING_DIR}/icons/${ORBITRA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256 512)
  install(FILES ${ORBITRA_PACKAGING_DIR}/icons/orbitra-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ORBITRA_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/session-format.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbitra)

# The man page is orbitra-render's --help, formatted by help2man (Debian's help2man).
find_program(ORBITRA_HELP2MAN help2man)
if(ORBITRA_HELP2MAN)
  set(man ${CMAKE_BINARY_DIR}/packaging/orbitra-render.1)
  add_custom_command(OUTPUT ${man}
    COMMAND ${ORBITRA_HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION}
            "--name=draw the orbits of iterated maps into pictures, without a window"
            --output=${man} $<TARGET_FILE:orbitra-render>
    DEPENDS orbitra-render
    COMMENT "Writing the man page of orbitra-render")
  add_custom_target(orbitra_man_page ALL DEPENDS ${man})
  install(FILES ${man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "Orbitra: help2man not found; no man page of orbitra-render is made")
endif()

set(CPACK_PACKAGE_NAME orbitra)
set(CPACK_PACKAGE_VENDOR "The Orbitra developers")
set(CPACK_PACKAGE_CONTACT "The Orbitra developers <maintainers@orbitra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "explorer of two-dimensional iterated maps")
set(CPACK_PACKAGE_DESCRIPTION
    "Orbitra draws the orbits of two-dimensional iterated maps x' = f(x, y), y' = g(x, y)
pixel by pixel in the phase plane: ten built-in maps or formulas of your own,
stored points that can be replayed, zoomed, cleaned and exported, groups of
initial conditions, Lyapunov exponents and periods, and whole sessions saved
in HDF5 files. orbitra-render makes the same pictures from the command line.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Typed maps are compiled to machine code when the JIT library is there (loaded at run time).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgccjit0")
set(CPACK_STRIP_FILES ON)
include(CPack)
