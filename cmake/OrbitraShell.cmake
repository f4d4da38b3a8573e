# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop shell on Qt 6 Widgets: everything but main() goes into a library that the
# shell tests link as well.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

file(GLOB ORBITRA_APP_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/app/*.cpp ${PROJECT_SOURCE_DIR}/src/app/*.h)
file(GLOB ORBITRA_DIALOG_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/dialogs/*.cpp ${PROJECT_SOURCE_DIR}/src/dialogs/*.h)
list(FILTER ORBITRA_APP_SOURCES EXCLUDE REGEX "/main\\.cpp$")
file(GLOB ORBITRA_RESOURCE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.qrc)

add_library(orbitra_shell STATIC ${ORBITRA_APP_SOURCES} ${ORBITRA_DIALOG_SOURCES}
  ${ORBITRA_RESOURCE_FILES})
target_include_directories(orbitra_shell PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orbitra_shell PUBLIC orbitra_core orbitra_render Qt6::Widgets)
target_compile_definitions(orbitra_shell PUBLIC ORBITRA_VERSION="${PROJECT_VERSION}")

add_executable(orbitra ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(orbitra PRIVATE orbitra_shell)
