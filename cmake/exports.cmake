# Reads the export table (wrapper/export_table.h) and writes the module-
# definition file wexla.def into the build tree. The table is the one source of
# every export; nothing else lists their names.
set(WEXLA_EXPORT_TABLE ${PROJECT_SOURCE_DIR}/wrapper/export_table.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WEXLA_EXPORT_TABLE})

file(READ ${WEXLA_EXPORT_TABLE} _table)
string(REGEX MATCHALL "\n +X\\([^)\n]*\\)" _rows "${_table}")
set(_def "LIBRARY wexla.dll\nEXPORTS\n")
foreach(_row IN LISTS _rows)
  if(NOT _row MATCHES "X\\(([A-Za-z0-9_]+), *([0-9]+), *([a-z]+), *(IMPL|PENDING|NI_LAST|NI_LAST64|NI_FIRST)\\)")
    message(FATAL_ERROR "export table row not understood: ${_row}")
  endif()
  string(APPEND _def "    ${CMAKE_MATCH_1}\n")
endforeach()
file(STRINGS ${WEXLA_EXPORT_TABLE} _data REGEX "^#define WEXLA_EXPORTED_DATA")
string(REGEX MATCH "\"([A-Za-z0-9_]+)\"" _m "${_data}")
string(APPEND _def "    ${CMAKE_MATCH_1} DATA\n")

set(WEXLA_DEF_FILE ${CMAKE_BINARY_DIR}/wexla.def)
file(CONFIGURE OUTPUT ${WEXLA_DEF_FILE} CONTENT "${_def}")
