# Script mode: writes the compatibility table (Markdown) from the export table.
#   cmake -DTABLE=wrapper/export_table.h -DOUT=docs/compatibility.md -P cmake/compat_table.cmake
include(${CMAKE_CURRENT_LIST_DIR}/export_rows.cmake)
wexla_read_export_table(${TABLE})

set(_implemented 0)
set(_refused 0)
set(_rows "")
foreach(_name IN LISTS WEXLA_EXPORT_NAMES)
  list(GET WEXLA_EXPORT_${_name} 0 _argc)
  list(GET WEXLA_EXPORT_${_name} 1 _family)
  list(GET WEXLA_EXPORT_${_name} 2 _kind)
  if(_kind STREQUAL "IMPL")
    set(_answer "implemented")
    math(EXPR _implemented "${_implemented} + 1")
  else()
    set(_answer "\"Wrapper not implemented\"")
    math(EXPR _refused "${_refused} + 1")
  endif()
  if(_name STREQUAL "WexlaPrintFile")
    set(_argc "${_argc} + variable")
  endif()
  string(APPEND _rows "| `${_name}` | ${_argc} | ${_family} | ${_answer} |\n")
endforeach()
list(LENGTH WEXLA_EXPORT_NAMES _count)

file(WRITE ${OUT} "# Compatibility table

Every function `wexla.dll` exports, generated from `wrapper/export_table.h`
(regenerate with `cmake --build build/host --target compat-table`; a test
fails when this file and the table differ). ${_count} functions: ${_implemented}
implemented, ${_refused} answer \"Wrapper not implemented\" (error kind 1 in the
record, result 0, and a debugger line naming the function). Arguments count
32-bit words as the caller pushes them, the error record included. The data
word `${WEXLA_EXPORT_DATA}` is exported too (zero, never written).

| export | arguments | family | answer |
|---|---|---|---|
${_rows}")

# With -DCHECK=committed.md: fail when the committed table differs.
if(CHECK)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${CHECK} RESULT_VARIABLE _differs)
  if(_differs)
    message(FATAL_ERROR "${CHECK} is out of date with the export table; "
                        "run: cmake --build build/host --target compat-table")
  endif()
  message(STATUS "${CHECK} matches the export table")
endif()
