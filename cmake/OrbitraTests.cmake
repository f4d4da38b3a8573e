# SPDX-License-Identifier: GPL-3.0-or-later
find_package(GTest REQUIRED)
include(GoogleTest)

# Test doubles shared by the core tests: they link the core only.
file(GLOB ORBITRA_TEST_SUPPORT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_library(orbitra_test_support STATIC ${ORBITRA_TEST_SUPPORT_SOURCES})
target_include_directories(orbitra_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(orbitra_test_support PUBLIC orbitra_core GTest::gtest)

# tests/core mirrors the layers of src/, one folder each.
file(GLOB_RECURSE ORBITRA_CORE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/core/*.cpp)
add_executable(orbitra_core_tests ${ORBITRA_CORE_TEST_SOURCES})
# Tests of damaged sessions plant their faults with the HDF5 library itself.
target_link_libraries(orbitra_core_tests PRIVATE orbitra_test_support GTest::gtest_main PkgConfig::HDF5)
gtest_discover_tests(orbitra_core_tests DISCOVERY_TIMEOUT 60)

# Tests of orbitra-render's job, which lives above the core: GoogleTest too, no display.
if(ORBITRA_BUILD_APP)
  file(GLOB ORBITRA_RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/render/*.cpp)
  add_executable(orbitra_render_tests ${ORBITRA_RENDER_TEST_SOURCES})
  target_link_libraries(orbitra_render_tests PRIVATE orbitra_render orbitra_test_support GTest::gtest_main)
  gtest_discover_tests(orbitra_render_tests DISCOVERY_TIMEOUT 60)
endif()

# The core sources never include a Qt header.
add_test(NAME core_includes_no_qt
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/CheckCoreHasNoQt.cmake)

# No source includes a header of a layer above its own.
add_test(NAME layers_include_only_below
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake)

# Every source file says its licence, GPL-3.0-or-later, in an SPDX line at its top.
add_test(NAME licence_spdx_line_in_every_source
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/CheckSpdxLines.cmake)

# Shell tests: one QtTest program per file, run on the offscreen platform.
if(ORBITRA_BUILD_APP)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB ORBITRA_SHELL_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/shell/*.cpp)
  foreach(src IN LISTS ORBITRA_SHELL_TEST_SOURCES)
    get_filename_component(name ${src} NAME_WE)
    add_executable(shell_${name} ${src})
    target_link_libraries(shell_${name} PRIVATE orbitra_shell Qt6::Test)
    # Tests of the command-line renderer run the program itself.
    target_compile_definitions(shell_${name} PRIVATE ORBITRA_RENDER_PROGRAM="$<TARGET_FILE:orbitra-render>")
    add_dependencies(shell_${name} orbitra-render)
    add_test(NAME shell_${name} COMMAND shell_${name})
    set_tests_properties(shell_${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endif()

# A session read by another program: Debian's h5py (Debian's own Python, where it lives)
# reads what orbitra-render saved and finds the points of its ASCII export.
if(ORBITRA_BUILD_APP)
  find_program(ORBITRA_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  add_test(NAME session_read_with_h5py
    COMMAND ${ORBITRA_DEBIAN_PYTHON} ${PROJECT_SOURCE_DIR}/tests/session/read_session_with_h5py.py
            $<TARGET_FILE:orbitra-render>)
endif()

# The installed program: validated desktop files, and the Debian package made from this
# build tree's programs, unpacked and used.
if(ORBITRA_BUILD_APP)
  add_test(NAME packaging_desktop_files_validate
    COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/validate_desktop_files.sh
            ${PROJECT_SOURCE_DIR}/packaging/io.github.orbitra.orbitra.desktop
            ${CMAKE_BINARY_DIR}/packaging/io.github.orbitra.orbitra.metainfo.xml)
  add_test(NAME packaging_deb_unpacked_runs
    COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/check_deb.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(packaging_deb_unpacked_runs PROPERTIES TIMEOUT 600)
endif()
