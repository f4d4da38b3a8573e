# SPDX-License-Identifier: GPL-3.0-or-later
find_package(benchmark REQUIRED)
file(GLOB ORBITRA_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
add_executable(orbitra_bench ${ORBITRA_BENCH_SOURCES})
target_link_libraries(orbitra_bench PRIVATE orbitra_core benchmark::benchmark)
set_source_files_properties(${ORBITRA_BENCH_SOURCES} PROPERTIES COMPILE_OPTIONS -fno-tree-slp-vectorize)
target_include_directories(orbitra_bench PRIVATE ${PROJECT_SOURCE_DIR})
