# Parses the export table (wrapper/export_table.h), the one source of every
# export of wexla.dll. Sets, in the caller's scope:
#   WEXLA_EXPORT_NAMES  the names in table order
#   WEXLA_EXPORT_<name> "argc;family;kind" for each name
#   WEXLA_EXPORT_DATA   the exported data word's name
function(wexla_read_export_table table)
  file(READ ${table} _table)
  string(REGEX MATCHALL "\n +X\\([^)\n]*\\)" _rows "${_table}")
  set(_names)
  foreach(_row IN LISTS _rows)
    if(NOT _row MATCHES "X\\(([A-Za-z0-9_]+), *([0-9]+), *([a-z]+), *(IMPL|NI_LAST|NI_LAST64|NI_FIRST)\\)")
      message(FATAL_ERROR "export table row not understood: ${_row}")
    endif()
    list(APPEND _names ${CMAKE_MATCH_1})
    set(WEXLA_EXPORT_${CMAKE_MATCH_1} "${CMAKE_MATCH_2};${CMAKE_MATCH_3};${CMAKE_MATCH_4}" PARENT_SCOPE)
  endforeach()
  set(WEXLA_EXPORT_NAMES ${_names} PARENT_SCOPE)
  if(NOT _table MATCHES "#define WEXLA_EXPORTED_DATA \"([A-Za-z0-9_]+)\"")
    message(FATAL_ERROR "export table names no exported data word")
  endif()
  set(WEXLA_EXPORT_DATA ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
