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
