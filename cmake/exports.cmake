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

# wexla_family_headers.h includes every header in wrapper/ that declares entry
# points (it names WEXLA_API), so wrapper/export_declarations.h sees each real
# prototype as soon as a family's header exists. Every IMPL row must be
# declared by one of them: said here, not as a missing name deep in a compile.
file(GLOB _wrapper_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/wrapper/*.h)
set(_family_headers "// Generated from the headers in wrapper/ (cmake/exports.cmake).\n#pragma once\n")
set(_declared_text "")
foreach(_header IN LISTS _wrapper_headers)
  get_filename_component(_header_name ${_header} NAME)
  if(_header_name MATCHES "^(wexla_frame|export_declarations)\\.h$")
    continue()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_header})
  file(READ ${_header} _text)
  if(_text MATCHES "WEXLA_API")
    string(APPEND _family_headers "#include \"wrapper/${_header_name}\"\n")
    string(APPEND _declared_text "${_text}")
  endif()
endforeach()
foreach(_row IN LISTS _rows)
  if(_row MATCHES "X\\(([A-Za-z0-9_]+), *[0-9]+, *([a-z]+), *IMPL\\)")
    set(_name ${CMAKE_MATCH_1})
    if(NOT _declared_text MATCHES "[^A-Za-z0-9_]${_name}[ \t\r\n]*\\(")
      message(FATAL_ERROR "${_name} is IMPL in the export table, but no header in wrapper/ declares it "
                          "(a family declares its entry points in its header, with WEXLA_API)")
    endif()
  endif()
endforeach()
set(WEXLA_GENERATED_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${WEXLA_GENERATED_INCLUDE_DIR}/wexla_family_headers.h CONTENT "${_family_headers}")
