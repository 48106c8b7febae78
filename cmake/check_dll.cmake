# Checks a built xovaio32.dll against the public header, from its export and
# import tables as objdump prints them.
#   cmake -DDLL=<dll> -DOBJDUMP=<objdump> -DHEADER=<xovaio32.h> -DDECORATED=<ON|OFF>
#         -DCHECK=<exports|imports> -P check_dll.cmake
# exports: exactly the header's functions, each under its plain name and, with
#   DECORATED, under name@bytes as well; nothing else.
# imports: system DLLs only; a C++ or thread runtime DLL means the static
#   linking came undone and the DLL would not load on a bare system.
cmake_minimum_required(VERSION 3.16)
include(${CMAKE_CURRENT_LIST_DIR}/header_functions.cmake)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

function(check_exports)
  xova_header_functions("${HEADER}" names bytes)
  set(expected "")
  foreach(name bytes_of IN ZIP_LISTS names bytes)
    list(APPEND expected ${name})
    if(DECORATED)
      list(APPEND expected ${name}@${bytes_of})
    endif()
  endforeach()
  # The name table lists one "[ index] name" line per exported name.
  string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" table "${dump}")
  string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" lines "${table}")
  set(exported "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^\t\\[ *[0-9]+\\] " "" name "${line}")
    list(APPEND exported ${name})
  endforeach()
  list(SORT expected)
  list(SORT exported)
  if(NOT expected STREQUAL exported)
    set(missing ${expected})
    set(extra ${exported})
    list(REMOVE_ITEM missing ${exported})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "exports of ${DLL} differ from the header\n"
                        "missing: ${missing}\nnot declared: ${extra}")
  endif()
  list(LENGTH names n)
  list(LENGTH exported e)
  message(STATUS "dll_exports: ${n} functions of the header, ${e} exported names")
endfunction()

function(check_imports)
  string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
  if(NOT lines)
    message(FATAL_ERROR "no import table found in ${DLL}")
  endif()
  set(foreign "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase|ntdll|advapi32|user32)\\.dll$"
       AND NOT lower MATCHES "^api-ms-win-[a-z0-9-]+\\.dll$")
      list(APPEND foreign ${dll})
    endif()
  endforeach()
  if(foreign)
    message(FATAL_ERROR "${DLL} imports non-system DLLs: ${foreign}")
  endif()
  string(REPLACE "DLL Name: " "" all "${lines}")
  message(STATUS "dll_imports: ${all}")
endfunction()

if(CHECK STREQUAL "exports")
  check_exports()
elseif(CHECK STREQUAL "imports")
  check_imports()
else()
  message(FATAL_ERROR "CHECK must be exports or imports")
endif()
