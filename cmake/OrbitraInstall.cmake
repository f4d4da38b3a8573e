# SPDX-License-Identifier: GPL-3.0-or-later
# Installed like a desktop program (GNUInstallDirs): the two programs, the desktop entry,
# the AppStream metadata, the icon in every size, the session file type, the man pages,
# the documentation with the copyright file and the changelog; `cpack -G DEB` makes a
# Debian package of it that lintian accepts.
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
# The guide's pages, where the README's links find them (F1 shows the copies compiled in).
file(GLOB ORBITRA_GUIDE_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide-*.md)
install(FILES ${ORBITRA_GUIDE_PAGES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbitra/docs)
# Their pictures beside them, and the session format (one folder up, where the manual page
# names it) reached from there by a relative link, as the pages link to it.
file(GLOB ORBITRA_GUIDE_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${ORBITRA_GUIDE_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbitra/docs)
install(CODE "file(CREATE_LINK ../session-format.md
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/orbitra/docs/session-format.md\" SYMBOLIC)")

# Man pages and the changelog are installed compressed, as Debian wants them: gzip -9n
# (no name or time stamp inside, so the same text gives the same bytes).
find_program(ORBITRA_GZIP gzip REQUIRED)
set(ORBITRA_MAN_DIR ${CMAKE_BINARY_DIR}/packaging/man)
set(ORBITRA_MAN_PAGES "")
function(orbitra_gzip_file source target)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target}.tmp
    COMMAND ${ORBITRA_GZIP} -9nf ${target}.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${target}.tmp.gz ${target}
    DEPENDS ${source}
    COMMENT "Compressing ${target}")
endfunction()

# orbitra's man page is written by hand (it has one argument, a session, and its files).
configure_file(${ORBITRA_PACKAGING_DIR}/orbitra.1 ${ORBITRA_MAN_DIR}/orbitra.1 @ONLY)
orbitra_gzip_file(${ORBITRA_MAN_DIR}/orbitra.1 ${ORBITRA_MAN_DIR}/orbitra.1.gz)
list(APPEND ORBITRA_MAN_PAGES ${ORBITRA_MAN_DIR}/orbitra.1.gz)

# orbitra-render's is its --help, formatted by help2man (Debian's help2man).
find_program(ORBITRA_HELP2MAN help2man)
if(ORBITRA_HELP2MAN)
  set(man ${ORBITRA_MAN_DIR}/orbitra-render.1)
  add_custom_command(OUTPUT ${man}
    COMMAND ${ORBITRA_HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION}
            "--name=draw the orbits of iterated maps into pictures, without a window"
            --output=${man} $<TARGET_FILE:orbitra-render>
    DEPENDS orbitra-render
    COMMENT "Writing the man page of orbitra-render")
  orbitra_gzip_file(${man} ${man}.gz)
  list(APPEND ORBITRA_MAN_PAGES ${man}.gz)
else()
  message(STATUS "Orbitra: help2man not found; no man page of orbitra-render is made")
endif()
add_custom_target(orbitra_man_pages ALL DEPENDS ${ORBITRA_MAN_PAGES})
install(FILES ${ORBITRA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's version has a Debian revision (1.0.0-1): it is not made from a Debian
# source package of its own, so its changelog is changelog.Debian.gz.
set(ORBITRA_DEB_RELEASE 1)
set(ORBITRA_DEB_VERSION ${PROJECT_VERSION}-${ORBITRA_DEB_RELEASE})
configure_file(${ORBITRA_PACKAGING_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog.Debian @ONLY)
orbitra_gzip_file(${CMAKE_BINARY_DIR}/packaging/changelog.Debian ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_target(orbitra_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz ${ORBITRA_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbitra)
# What lintian is told to pass over, each with its reason.
install(FILES ${ORBITRA_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orbitra)

set(CPACK_PACKAGE_NAME orbitra)
set(CPACK_PACKAGE_VENDOR "The Orbitra developers")
set(CPACK_PACKAGE_CONTACT "The Orbitra developers <maintainers@orbitra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "explorer of two-dimensional iterated maps")
# Debian wants the lines of the extended description under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Orbitra draws the orbits of two-dimensional iterated maps
x' = f(x, y), y' = g(x, y) pixel by pixel in the phase plane: ten built-in
maps or formulas of your own, stored points that can be replayed, zoomed,
cleaned and exported, groups of initial conditions, Lyapunov exponents and
periods, orbit diagrams, parameter planes and basins, periodic orbits and
their manifolds, and whole sessions saved in HDF5 files. orbitra-render makes
the same pictures from the command line.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORBITRA_DEB_RELEASE})
# Typed maps are compiled to machine code when the JIT library is there (loaded at run
# time by the helper), and the library needs the assembler and the linker to make code.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgccjit0, binutils")
set(CPACK_STRIP_FILES ON)
include(CPack)
