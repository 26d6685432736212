# Writes the module-definition file wexla.def into the build tree from the
# export table; nothing else lists the exports' names.
include(${CMAKE_CURRENT_LIST_DIR}/export_rows.cmake)
set(WEXLA_EXPORT_TABLE ${PROJECT_SOURCE_DIR}/wrapper/export_table.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WEXLA_EXPORT_TABLE})
wexla_read_export_table(${WEXLA_EXPORT_TABLE})

set(_def "LIBRARY wexla.dll\nEXPORTS\n")
foreach(_name IN LISTS WEXLA_EXPORT_NAMES)
  string(APPEND _def "    ${_name}\n")
endforeach()
string(APPEND _def "    ${WEXLA_EXPORT_DATA} DATA\n")

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
foreach(_name IN LISTS WEXLA_EXPORT_NAMES)
  list(GET WEXLA_EXPORT_${_name} 2 _kind)
  if(_kind STREQUAL "IMPL" AND NOT _declared_text MATCHES "[^A-Za-z0-9_]${_name}[ \t\r\n]*\\(")
    message(FATAL_ERROR "${_name} is IMPL in the export table, but no header in wrapper/ declares it "
                        "(a family declares its entry points in its header, with WEXLA_API)")
  endif()
endforeach()
set(WEXLA_GENERATED_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${WEXLA_GENERATED_INCLUDE_DIR}/wexla_family_headers.h CONTENT "${_family_headers}")
