# SPDX-License-Identifier: GPL-3.0-or-later
# Drawing with Qt's GUI module but no widgets: the text painter and the image files that
# the window and orbitra-render share, as a library; orbitra-render itself beside it.
find_package(Qt6 REQUIRED COMPONENTS Gui)

file(GLOB ORBITRA_RENDER_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/render/*.cpp ${PROJECT_SOURCE_DIR}/src/render/*.h)
list(FILTER ORBITRA_RENDER_SOURCES EXCLUDE REGEX "/main\\.cpp$")

add_library(orbitra_render STATIC ${ORBITRA_RENDER_SOURCES})
target_include_directories(orbitra_render PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orbitra_render PUBLIC orbitra_core Qt6::Gui)

add_executable(orbitra-render ${PROJECT_SOURCE_DIR}/src/render/main.cpp)
target_link_libraries(orbitra-render PRIVATE orbitra_render)
