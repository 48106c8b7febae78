# Reads the exported functions of the public header, for the module-definition
# file and the export-table check, so neither keeps a list of its own.
#
# xova_header_functions(<header> <names-var> <bytes-var>) sets <names-var> to
# the function names in header order and <bytes-var> to the bytes each one's
# arguments take on the 32-bit stack (the number of its decorated name).

# Bytes one argument takes on the 32-bit stack. `long` is refused: it is 32
# bits on Windows and 64 on Linux, so it has no place in this interface.
function(xova_argument_bytes param out)
  string(STRIP "${param}" p)
  if(p MATCHES "[*[]")
    set(${out} 4 PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "(^|[ \t\r\n])(const|volatile)([ \t\r\n]|$)" " " p " ${p} ")
  string(REGEX REPLACE "[ \t\r\n]+" ";" words "${p}")
  list(REMOVE_ITEM words "")
  list(LENGTH words n)
  set(keywords signed unsigned char short int long float double)
  if(n GREATER 1)
    list(GET words -1 last)
    if(NOT last IN_LIST keywords)
      list(REMOVE_AT words -1)
    endif()
  endif()
  list(JOIN words " " type)
  if(type MATCHES "(^| )long( |$)" AND NOT type MATCHES "long long")
    message(FATAL_ERROR "'${param}': long has different sizes on Windows and Linux")
  endif()
  if(type MATCHES "^(unsigned |signed )?(char|short|int|short int)$" OR type STREQUAL "unsigned"
     OR type STREQUAL "float")
    set(${out} 4 PARENT_SCOPE)
  elseif(type MATCHES "^(unsigned |signed )?long long( int)?$" OR type STREQUAL "double")
    set(${out} 8 PARENT_SCOPE)
  else()
    message(FATAL_ERROR "'${param}': argument type '${type}' is not known to the export list")
  endif()
endfunction()

function(xova_header_functions header names_var bytes_var)
  file(READ "${header}" text)
  set(ws "[ \t\r\n]")
  # Every mention of a function after its calling convention, however it is
  # laid out; each must be matched by a declaration understood below.
  string(REGEX MATCHALL "XOVA_CALL${ws}+xova[A-Za-z0-9_]*" mentions "${text}")
  string(REGEX MATCHALL
         "XOVA_API${ws}+[A-Za-z_ \t\r\n*]+XOVA_CALL${ws}+xova[A-Za-z0-9_]*${ws}*\\([^()]*\\)"
         decls "${text}")
  list(LENGTH mentions mention_count)
  list(LENGTH decls decl_count)
  if(NOT mention_count EQUAL decl_count)
    message(FATAL_ERROR "${header}: ${mention_count} functions but ${decl_count} declarations "
                        "of the form 'XOVA_API type XOVA_CALL name(arguments)'")
  endif()
  set(names "")
  set(all_bytes "")
  foreach(decl IN LISTS decls)
    string(REGEX REPLACE ".*XOVA_CALL${ws}+(xova[A-Za-z0-9_]*).*" "\\1" name "${decl}")
    string(REGEX REPLACE ".*\\(([^()]*)\\)$" "\\1" args "${decl}")
    string(STRIP "${args}" args)
    set(bytes 0)
    if(NOT args STREQUAL "void" AND NOT args STREQUAL "")
      string(REPLACE "," ";" params "${args}")
      foreach(param IN LISTS params)
        xova_argument_bytes("${param}" b)
        math(EXPR bytes "${bytes} + ${b}")
      endforeach()
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${header}: ${name} is declared twice")
    endif()
    list(APPEND names ${name})
    list(APPEND all_bytes ${bytes})
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${header}: no exported functions found")
  endif()
  set(${names_var} "${names}" PARENT_SCOPE)
  set(${bytes_var} "${all_bytes}" PARENT_SCOPE)
endfunction()
