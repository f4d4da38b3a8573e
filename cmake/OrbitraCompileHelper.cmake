# SPDX-License-Identifier: GPL-3.0-or-later
# orbitra-compile-map: the helper program that compiles a user map with libgccjit into a
# shared object, in a process of its own. It is built beside the programs (whatever links
# the core builds it first) and installed to libexec/orbitra/, where the program finds it
# from bin/.
include(GNUInstallDirs)
# Only the one header: the folder that holds it is GCC's own and must not reach other compilers.
configure_file(${ORBITRA_GCCJIT_INCLUDE_DIR}/libgccjit.h ${CMAKE_BINARY_DIR}/gccjit/libgccjit.h COPYONLY)
add_executable(orbitra-compile-map
  ${PROJECT_SOURCE_DIR}/src/compile/main.cpp
  ${PROJECT_SOURCE_DIR}/src/compile/map_code_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/maps/user_map_program.cpp)
target_include_directories(orbitra-compile-map PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_include_directories(orbitra-compile-map SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/gccjit)
target_link_libraries(orbitra-compile-map PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(orbitra_core orbitra-compile-map)
install(TARGETS orbitra-compile-map RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orbitra)
