# Writes the DLL's module-definition file from the public header.
#   cmake -DHEADER=<xovaio32.h> -DOUTPUT=<file.def> -DDECORATED=<ON|OFF>
#         [-DALIASES=OFF] -P generate_def.cmake
# 32-bit Windows (DECORATED): every function under its standard-call name
# (name@bytes) and under its plain name as an alias of it. 64-bit Windows has
# one calling convention and no decoration: plain names only.
# ALIASES=OFF leaves the aliases out: the file MSVC users give to
# `lib /def:` lists the standard-call names their compiler refers to.
cmake_minimum_required(VERSION 3.16)
include(${CMAKE_CURRENT_LIST_DIR}/header_functions.cmake)

xova_header_functions("${HEADER}" names bytes)
set(def "LIBRARY xovaio32.dll\nEXPORTS\n")
foreach(name bytes_of IN ZIP_LISTS names bytes)
  if(DECORATED)
    string(APPEND def "  ${name}@${bytes_of}\n")
    if(NOT DEFINED ALIASES OR ALIASES)
      string(APPEND def "  ${name} = ${name}@${bytes_of}\n")
    endif()
  else()
    string(APPEND def "  ${name}\n")
  endif()
endforeach()
file(WRITE "${OUTPUT}" "${def}")
