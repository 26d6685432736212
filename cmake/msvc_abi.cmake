# Objects compiled for the MSVC C++ ABI: clang++ makes a COFF object for the
# tree's target that the mingw linker takes as it is, so tests can call into
# (or be called by) code built the way MSVC builds it. Freestanding: no MSVC
# headers or libraries exist here, and none are needed.
#   wexla_add_msvc_abi_object(target source [depends...])
# adds the object to the target; WEXLA_HAVE_MSVC_ABI is false (and nothing is
# added) without clang++.
find_program(WEXLA_CLANGXX clang++)
set(WEXLA_HAVE_MSVC_ABI FALSE)
if(WEXLA_CLANGXX)
  set(WEXLA_HAVE_MSVC_ABI TRUE)
endif()

function(wexla_add_msvc_abi_object target source)
  if(NOT WEXLA_CLANGXX)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_msvc_target i686-pc-windows-msvc)
  else()
    set(_msvc_target x86_64-pc-windows-msvc)
  endif()
  get_filename_component(_name ${source} NAME_WE)
  set(_obj ${CMAKE_CURRENT_BINARY_DIR}/${_name}.obj)
  add_custom_command(
    OUTPUT ${_obj}
    COMMAND ${WEXLA_CLANGXX} --target=${_msvc_target} -std=c++17 -fno-exceptions -fno-rtti -ffreestanding
            -fno-addrsig -O1 -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}
            -c ${CMAKE_CURRENT_SOURCE_DIR}/${source} -o ${_obj}
    DEPENDS ${source} ${ARGN}
    COMMENT "Compiling ${source} for the MSVC C++ ABI (${_msvc_target})")
  target_sources(${target} PRIVATE ${_obj})
  set_source_files_properties(${_obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
endfunction()
