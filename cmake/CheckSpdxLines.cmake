# Fails when a source file (*.h, *.cpp under src/, tests/ and bench/) does not say its
# licence in one of its first five lines, as
#   // SPDX-License-Identifier: GPL-3.0-or-later
cmake_policy(VERSION 3.25)
set(missing "")
set(count 0)
file(GLOB_RECURSE files
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
  ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp
  ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp)
foreach(f IN LISTS files)
  file(READ ${f} head LIMIT 4000)
  # The first lines as a list: characters that CMake lists treat specially go first.
  string(REGEX REPLACE "[][;\\]" "_" head "${head}")
  string(REPLACE "\n" ";" head "${head}")
  list(LENGTH head n)
  if(n GREATER 5)
    list(SUBLIST head 0 5 head)
  endif()
  set(found FALSE)
  foreach(line IN LISTS head)
    if(line MATCHES "^// SPDX-License-Identifier: GPL-3\\.0-or-later[ \t\r]*$")
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    file(RELATIVE_PATH name ${SOURCE_DIR} ${f})
    string(APPEND missing "  ${name}\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
list(LENGTH files total)
if(total EQUAL 0)
  message(FATAL_ERROR "no source files found under ${SOURCE_DIR}")
endif()
if(count GREATER 0)
  message(FATAL_ERROR "${count} of ${total} source files lack "
          "\"// SPDX-License-Identifier: GPL-3.0-or-later\" in their first five lines:\n${missing}")
endif()
message(STATUS "all ${total} source files carry their SPDX line")
