# Checks the include order of the host and the module:
#   cmake -DSOURCE_DIR=<checkout> -P cmake/check_includes.cmake
# - A host layer includes only its own headers and those of the layers before it, in the order
#   base, db, records, calc, output, ui, ui/qt; never a header of the module, app, tests or
#   bench.
# - Only host/db includes SQLite or libpq headers, only host/ui/qt Qt headers.
# - The module's folders include no Qt, SQLite or libpq header and nothing of host/ui/qt, app,
#   tests or bench; common includes nothing of shell or of a subsystem folder.
# Every offending include is listed; the script fails if there is one.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_includes: set SOURCE_DIR to the checkout")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(LAYERS base db records calc output ui ui/qt)
set(SUBSYSTEMS receivables insurance closing analysis followup generator)
set(MODULE_FOLDERS shell common ${SUBSYSTEMS})
set(OUTSIDE_FOLDERS app tests bench)
set(QT_HEADER "^(Qt[A-Za-z]*/|Q[A-Za-z0-9]+$|qt[56]/)")
set(SQL_HEADER "^(sqlite3(ext)?\\.h|libpq-fe\\.h|libpq-events\\.h|libpq/|postgresql/|pg_config)")

# The layer of a path under host/ ("ui/qt" before "ui"), or "" when it is none.
function(layer_of path out)
  set(found "")
  foreach(layer IN LISTS LAYERS)
    if(path MATCHES "^host/${layer}/")
      set(found ${layer})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The first folder of a path.
function(folder_of path out)
  string(REGEX REPLACE "/.*" "" first "${path}")
  set(${out} "${first}" PARENT_SCOPE)
endfunction()

set(violations "")
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/host/* ${SOURCE_DIR}/shell/*
     ${SOURCE_DIR}/common/* ${SOURCE_DIR}/receivables/* ${SOURCE_DIR}/insurance/*
     ${SOURCE_DIR}/closing/* ${SOURCE_DIR}/analysis/* ${SOURCE_DIR}/followup/*
     ${SOURCE_DIR}/generator/*)
list(FILTER files INCLUDE REGEX "\\.(h|hpp|cpp|cc|inc|in)$")
list(SORT files)
foreach(file IN LISTS files)
  layer_of("${file}" file_layer)
  folder_of("${file}" file_folder)
  list(FIND LAYERS "${file_layer}" file_rank)
  get_filename_component(file_dir "${file}" DIRECTORY)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"].*" "\\1;\\2" parts
           "${line}")
    list(GET parts 0 delimiter)
    list(GET parts 1 header)
    # A quoted include is first looked for beside the including file.
    set(target "${header}")
    if(delimiter STREQUAL "\"" AND EXISTS ${SOURCE_DIR}/${file_dir}/${header})
      cmake_path(SET target NORMALIZE "${file_dir}/${header}")
    endif()
    layer_of("${target}" target_layer)
    folder_of("${target}" target_folder)
    if(NOT target MATCHES "/")
      set(target_folder "")
    endif()
    set(why "")
    if(file_layer)
      list(FIND LAYERS "${target_layer}" target_rank)
      if(target_layer AND target_rank GREATER file_rank)
        set(why "host/${file_layer} comes before host/${target_layer}")
      elseif(target_folder IN_LIST MODULE_FOLDERS OR target_folder IN_LIST OUTSIDE_FOLDERS)
        set(why "the host includes nothing of ${target_folder}/")
      elseif(header MATCHES "${QT_HEADER}" AND NOT file_layer STREQUAL "ui/qt")
        set(why "only host/ui/qt includes Qt")
      elseif(header MATCHES "${SQL_HEADER}" AND NOT file_layer STREQUAL "db")
        set(why "only host/db includes SQLite or libpq")
      endif()
    else()
      if(header MATCHES "${QT_HEADER}")
        set(why "the module includes no Qt header")
      elseif(header MATCHES "${SQL_HEADER}")
        set(why "the module includes no SQLite or libpq header")
      elseif(target_layer STREQUAL "ui/qt")
        set(why "the module includes nothing of host/ui/qt")
      elseif(target_folder IN_LIST OUTSIDE_FOLDERS)
        set(why "the module includes nothing of ${target_folder}/")
      elseif(file_folder STREQUAL "common" AND
             (target_folder STREQUAL "shell" OR target_folder IN_LIST SUBSYSTEMS))
        set(why "common comes before ${target_folder}/")
      endif()
    endif()
    if(why)
      string(STRIP "${line}" shown)
      string(APPEND violations "  ${file}: ${shown}  (${why})\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layer order:\n${violations}")
endif()
