# Checks that the folders keep their layering: every `#include "folder/..."`
# points to the folder itself or to one the folder may use, the Qt-free
# folders include no Qt header, and only the folders that put the program
# together reach into a platform backend folder.
#
#   cmake -DSOURCE_DIR=<repo> -P scripts/check-layers.cmake            # check
#   cmake -DSOURCE_DIR=<repo> -DCOUNTS=ON -P scripts/check-layers.cmake # also print
#                                                      # the include counts between folders
#
# Registered with CTest as "layers_direction_test". The table below is the one place the
# allowed directions are written down; the README explains them.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# Bottom to top. A folder may include itself and the folders listed for it.
set(layers core platform ftdi settings storage views dialogs frame app tools lang)
set(allowed_core "")
set(allowed_platform core)
set(allowed_ftdi core platform)
set(allowed_settings core platform)
set(allowed_storage core platform ftdi settings)
set(allowed_views core ftdi settings)
set(allowed_dialogs core platform ftdi settings storage views)
set(allowed_frame core platform ftdi settings storage views dialogs)
set(allowed_app core platform ftdi settings storage views dialogs frame)
set(allowed_tools core platform ftdi settings storage)
set(allowed_lang core)

# No Qt here: the device link, files, database and settings run headless.
set(qt_free core platform ftdi settings storage tools lang)

# Platform backends (platform/<interface>/<backend>/ and platform/<backend>/)
# are chosen where the program is put together; everyone else sees only the
# interfaces.
set(backend_users app tools)
set(backend_folders posix xdg x11 windows recording vendor libftdi sim)

set(violations "")
set(counted_pairs "")

# The table itself has no cycle: a folder may only use folders listed before
# it, so following the allowed arrows always goes down.
set(below "")
foreach(layer IN LISTS layers)
  foreach(used IN LISTS allowed_${layer})
    if(NOT used IN_LIST below)
      list(APPEND violations "table: ${layer}/ may use ${used}/, which is not below it")
    endif()
  endforeach()
  list(APPEND below ${layer})
endforeach()

foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files LIST_DIRECTORIES false
    "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.inc")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)[>/]")
        if(layer IN_LIST qt_free)
          list(APPEND violations "${rel}: Qt header <${CMAKE_MATCH_1}> in a Qt-free folder")
        endif()
        continue()
      endif()
      if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"/]+)/([^\"]*)\"")
        continue()
      endif()
      set(target "${CMAKE_MATCH_1}")
      set(rest "${CMAKE_MATCH_2}")
      if(NOT target IN_LIST layers)
        continue() # tests/, bench/ ... are not layers
      endif()
      if(NOT target STREQUAL layer)
        list(APPEND counted_pairs "${layer}>${target}")
        if(NOT target IN_LIST allowed_${layer})
          list(APPEND violations "${rel}: ${layer}/ may not include ${target}/${rest}")
        endif()
      endif()
      if(target STREQUAL "platform" AND NOT layer STREQUAL "platform" AND NOT layer IN_LIST backend_users)
        string(REPLACE "/" ";" parts "${rest}")
        foreach(part IN LISTS parts)
          if(part IN_LIST backend_folders)
            list(APPEND violations "${rel}: only ${backend_users} choose a platform backend (platform/${rest})")
          endif()
        endforeach()
      endif()
    endforeach()
  endforeach()
endforeach()

if(COUNTS)
  list(SORT counted_pairs)
  set(previous "")
  set(count 0)
  list(APPEND counted_pairs "<end>")
  foreach(pair IN LISTS counted_pairs)
    if(NOT pair STREQUAL previous AND count GREATER 0)
      string(REPLACE ">" " -> " shown "${previous}")
      message(STATUS "${count}\t${shown}")
      set(count 0)
    endif()
    set(previous "${pair}")
    math(EXPR count "${count} + 1")
  endforeach()
endif()

if(violations)
  list(LENGTH violations n)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "${n} include(s) break the layering:\n  ${text}")
endif()
message(STATUS "layers: every include points down")
