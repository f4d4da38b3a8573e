# SPDX-License-Identifier: GPL-3.0-or-later
# The core: plain C++20, no Qt. Sources are picked up per folder so that a new file
# needs no edit here.
# Each folder is one layer: platform < maps < analysis < plot, storage < explorer < sweeps
# < sessions.
file(GLOB ORBITRA_PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/*.cpp)
file(GLOB ORBITRA_MAPS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/maps/*.cpp)
file(GLOB ORBITRA_ANALYSIS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/analysis/*.cpp)
file(GLOB ORBITRA_PLOT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/plot/*.cpp)
file(GLOB ORBITRA_STORAGE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/storage/*.cpp)
file(GLOB ORBITRA_EXPLORER_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/explorer/*.cpp)
file(GLOB ORBITRA_SWEEPS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/sweeps/*.cpp)
file(GLOB ORBITRA_SESSIONS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/sessions/*.cpp)

add_library(orbitra_core STATIC
  ${ORBITRA_PLATFORM_SOURCES} ${ORBITRA_MAPS_SOURCES} ${ORBITRA_ANALYSIS_SOURCES} ${ORBITRA_PLOT_SOURCES}
  ${ORBITRA_STORAGE_SOURCES} ${ORBITRA_EXPLORER_SOURCES} ${ORBITRA_SWEEPS_SOURCES}
  ${ORBITRA_SESSIONS_SOURCES})
target_include_directories(orbitra_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_features(orbitra_core PUBLIC cxx_std_20)
# The worker pool runs sweeps on std::jthread.
find_package(Threads REQUIRED)
target_link_libraries(orbitra_core PUBLIC Threads::Threads)

# User maps are compiled by muParser (Debian's libmuparser-dev); only src/maps includes it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MUPARSER REQUIRED IMPORTED_TARGET muparser)
target_link_libraries(orbitra_core PRIVATE PkgConfig::MUPARSER)

# User maps are also compiled to machine code with GCC's JIT library (Debian's
# libgccjit-12-dev), out of process, by the helper program orbitra-compile-map (see
# cmake/OrbitraCompileHelper.cmake). The helper loads the library when it runs, so a
# machine without it still runs every map through muParser; a build without its header
# has only that path.
option(ORBITRA_USE_GCCJIT "Compile user maps to machine code when libgccjit is at hand" ON)
if(ORBITRA_USE_GCCJIT)
  file(GLOB orbitra_gcc_dirs /usr/lib/gcc/*/*)
  set(orbitra_gcc_include_dirs "")
  foreach(dir IN LISTS orbitra_gcc_dirs)
    list(APPEND orbitra_gcc_include_dirs ${dir}/include)
  endforeach()
  find_path(ORBITRA_GCCJIT_INCLUDE_DIR libgccjit.h HINTS ${orbitra_gcc_include_dirs})
  find_library(ORBITRA_GCCJIT_LIBRARY NAMES gccjit HINTS ${orbitra_gcc_dirs})
endif()
# The program loads compiled maps with dlopen.
target_link_libraries(orbitra_core PRIVATE ${CMAKE_DL_LIBS})
if(ORBITRA_USE_GCCJIT AND ORBITRA_GCCJIT_INCLUDE_DIR AND ORBITRA_GCCJIT_LIBRARY)
  message(STATUS "Orbitra: user maps are compiled to machine code with libgccjit (${ORBITRA_GCCJIT_LIBRARY})")
  target_compile_definitions(orbitra_core PRIVATE ORBITRA_HAVE_GCCJIT)
  include(${CMAKE_CURRENT_LIST_DIR}/OrbitraCompileHelper.cmake)
else()
  message(STATUS "Orbitra: libgccjit not found (or ORBITRA_USE_GCCJIT off); user maps are evaluated by muParser only")
endif()

# GCC 12 at -O2 packs the orbit point into one vector register and bounces it through
# memory on every iteration; keeping the two coordinates scalar is markedly faster.
set_source_files_properties(${ORBITRA_MAPS_SOURCES} ${ORBITRA_EXPLORER_SOURCES} ${ORBITRA_SWEEPS_SOURCES}
  ${ORBITRA_SESSIONS_SOURCES} ${ORBITRA_PLOT_SOURCES}
  PROPERTIES COMPILE_OPTIONS -fno-tree-slp-vectorize)
# The orbit diagram advances several columns in one loop: -O3 lets the compiler put them in
# vector lanes, which round exactly as scalar code (no contraction, no fast-math). Its
# four-lane vectors stay inside the file (GCC's note that passing them by value would need
# AVX is about an interface nobody calls).
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/analysis/orbit_diagram.cpp PROPERTIES COMPILE_OPTIONS
  "-O3;-Wno-psabi")

# The core must never link Qt; checked once every target is known.
function(orbitra_check_core_has_no_qt)
  get_target_property(libs orbitra_core LINK_LIBRARIES)
  if(libs)
    foreach(lib IN LISTS libs)
      if(lib MATCHES "Qt")
        message(FATAL_ERROR "orbitra_core links ${lib}: the core must stay free of Qt")
      endif()
    endforeach()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL orbitra_check_core_has_no_qt)

# The whole-plane pictures advance several independent orbits in one loop; at -O3 GCC
# packs lanes into vector registers, each lane still rounded as the scalar code rounds it.
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/analysis/grid_pixels.cpp PROPERTIES COMPILE_OPTIONS -O3)
# Sessions are HDF5 files (Debian's libhdf5-dev); only src/storage includes its header.
pkg_check_modules(HDF5 REQUIRED IMPORTED_TARGET hdf5)
target_link_libraries(orbitra_core PRIVATE PkgConfig::HDF5)
