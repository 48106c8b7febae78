# The Windows DLL: named xovaio32.dll (no "lib" prefix), with its import
# library, exporting exactly the functions of the public header. The list of
# exports is generated from the header at build time, so a function declared
# there cannot be missing from the DLL.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(XOVA_DECORATED_EXPORTS ON)
else()
  set(XOVA_DECORATED_EXPORTS OFF)
endif()

set(XOVA_DEF_FILE ${PROJECT_BINARY_DIR}/xovaio32.def)
add_custom_command(
  OUTPUT ${XOVA_DEF_FILE}
  COMMAND ${CMAKE_COMMAND} -DHEADER=${PROJECT_SOURCE_DIR}/include/xovaio32.h
          -DOUTPUT=${XOVA_DEF_FILE} -DDECORATED=${XOVA_DECORATED_EXPORTS}
          -P ${CMAKE_CURRENT_LIST_DIR}/generate_def.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/include/xovaio32.h ${CMAKE_CURRENT_LIST_DIR}/generate_def.cmake
          ${CMAKE_CURRENT_LIST_DIR}/header_functions.cmake
  COMMENT "Generating the DLL's export list from xovaio32.h"
  VERBATIM)
target_sources(xovaio32 PRIVATE ${XOVA_DEF_FILE})

# The module-definition file shipped for MSVC users, who make their import
# library from it (lib /def:xovaio32.def): the names their compiler refers to.
set(XOVA_MSVC_DEF_FILE ${PROJECT_BINARY_DIR}/msvc/xovaio32.def)
add_custom_command(
  OUTPUT ${XOVA_MSVC_DEF_FILE}
  COMMAND ${CMAKE_COMMAND} -DHEADER=${PROJECT_SOURCE_DIR}/include/xovaio32.h
          -DOUTPUT=${XOVA_MSVC_DEF_FILE} -DDECORATED=${XOVA_DECORATED_EXPORTS} -DALIASES=OFF
          -P ${CMAKE_CURRENT_LIST_DIR}/generate_def.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/include/xovaio32.h ${CMAKE_CURRENT_LIST_DIR}/generate_def.cmake
          ${CMAKE_CURRENT_LIST_DIR}/header_functions.cmake
  COMMENT "Generating the module-definition file for MSVC users"
  VERBATIM)
add_custom_target(xovaio32_msvc_def ALL DEPENDS ${XOVA_MSVC_DEF_FILE})

# Version resource: file and product version, product name, as Explorer and
# installers show them. The numbers come from the project's version.
set(XOVA_RC_FILE ${PROJECT_BINARY_DIR}/xovaio32_version.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/xovaio32_version.rc.in ${XOVA_RC_FILE} @ONLY)
target_sources(xovaio32 PRIVATE ${XOVA_RC_FILE})
set_target_properties(xovaio32 PROPERTIES PREFIX "" IMPORT_PREFIX "" OUTPUT_NAME xovaio32)

# Programs are found next to the DLL they load, as on any Windows machine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
