# The 25 host functions, read from the module-definition file of the
# modeller's executable (plugin/ac3d_imports.def), the one list of them that
# the build keeps.
set(VELLUMARK_HOST_IMPORTS_DEF ${CMAKE_CURRENT_LIST_DIR}/../plugin/ac3d_imports.def)
get_filename_component(VELLUMARK_HOST_IMPORTS_DEF ${VELLUMARK_HOST_IMPORTS_DEF} ABSOLUTE)

# vellumark_host_function_names(OUT): the names, in the file's order.
function(vellumark_host_function_names out)
  file(STRINGS ${VELLUMARK_HOST_IMPORTS_DEF} lines REGEX "^[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*$")
  set(names)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" name)
    list(APPEND names ${name})
  endforeach()
  list(LENGTH names count)
  if(NOT count EQUAL 25)
    message(FATAL_ERROR "${VELLUMARK_HOST_IMPORTS_DEF} lists ${count} host functions, not 25")
  endif()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
