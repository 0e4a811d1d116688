# Generates C code for a Wayland protocol XML with wayland-scanner at build time:
# tugworth_wayland_protocol(<out-var> <xml> client|server) appends the generated sources to
# <out-var>; their folder is ${CMAKE_CURRENT_BINARY_DIR}/protocols (for the include path).
find_package(PkgConfig REQUIRED)
pkg_get_variable(TUGWORTH_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT TUGWORTH_WAYLAND_SCANNER)
  find_program(TUGWORTH_WAYLAND_SCANNER wayland-scanner REQUIRED)
endif()

function(tugworth_wayland_protocol out_var xml side)
  get_filename_component(name ${xml} NAME_WE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/protocols)
  set(header ${dir}/${name}-${side}-protocol.h)
  set(code ${dir}/${name}-protocol.c)
  add_custom_command(
    OUTPUT ${header} ${code}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${TUGWORTH_WAYLAND_SCANNER} ${side}-header ${xml} ${header}
    COMMAND ${TUGWORTH_WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml}
    COMMENT "Generating the ${side} code of ${name}.xml")
  set(${out_var} ${${out_var}} ${header} ${code} PARENT_SCOPE)
endfunction()
