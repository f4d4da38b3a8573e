# Drawing with Qt's GUI module but no widgets: the text painter and the image files, as a
# library the window links.
find_package(Qt6 REQUIRED COMPONENTS Gui)

file(GLOB ORBITRA_RENDER_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/render/*.cpp ${PROJECT_SOURCE_DIR}/src/render/*.h)

add_library(orbitra_render STATIC ${ORBITRA_RENDER_SOURCES})
target_include_directories(orbitra_render PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orbitra_render PUBLIC orbitra_core Qt6::Gui)

