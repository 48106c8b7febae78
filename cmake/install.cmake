# `cmake --install` rules: the headers, the libraries, a CMake package
# (find_package(xovaio32) -> xovaio32::xovaio32), a pkg-config file, the
# documents and, through xova_install_tool, the command-line tools with their
# manual pages. Everything lands under CMAKE_INSTALL_PREFIX in the GNU layout
# and honours DESTDIR.
#
# Components: runtime (the shared library, documents), development (headers,
# development link, static library, CMake package, pkg-config file), tools.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(XOVA_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/xovaio32)
if(WIN32)
  # Windows users unpack a zip: the documents sit at its top.
  set(XOVA_INSTALL_DOCDIR .)
else()
  set(XOVA_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()

# Installed programs find the library in the prefix they were installed into.
if(NOT WIN32 AND NOT APPLE)
  file(RELATIVE_PATH _xova_bin_to_lib ${CMAKE_BINARY_DIR}/p/${CMAKE_INSTALL_BINDIR}
       ${CMAKE_BINARY_DIR}/p/${CMAKE_INSTALL_LIBDIR})
  if(NOT IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" AND NOT IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(CMAKE_INSTALL_RPATH "\$ORIGIN/${_xova_bin_to_lib}")
  else()
    set(CMAKE_INSTALL_RPATH "${CMAKE_INSTALL_FULL_LIBDIR}")
  endif()
endif()

target_include_directories(xovaio32 INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set(XOVA_INSTALLED_LIBRARIES xovaio32)
if(TARGET xovaio32_static)
  target_include_directories(xovaio32_static
                             INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  list(APPEND XOVA_INSTALLED_LIBRARIES xovaio32_static)
endif()

install(TARGETS ${XOVA_INSTALLED_LIBRARIES} EXPORT xovaio32Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
          NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)

# A stripped install (`cmake --install --strip`, the packages) strips the
# archive's debug information too, as it strips the shared library.
if(TARGET xovaio32_static AND CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:xovaio32_static>\")
    endif()" COMPONENT development)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/include/xovaio32.h ${XOVA_GENERATED_INCLUDE}/xovaio32_version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# CMake package. The version file accepts any 1.x request and refuses others:
# a new major version is a new interface.
install(EXPORT xovaio32Targets NAMESPACE xovaio32:: DESTINATION ${XOVA_CMAKE_PACKAGE_DIR}
        COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/templates/xovaio32Config.cmake.in
                              ${PROJECT_BINARY_DIR}/xovaio32Config.cmake
                              INSTALL_DESTINATION ${XOVA_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/xovaio32ConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/xovaio32Config.cmake
              ${PROJECT_BINARY_DIR}/xovaio32ConfigVersion.cmake
        DESTINATION ${XOVA_CMAKE_PACKAGE_DIR} COMPONENT development)

# pkg-config. The paths are relative to the file's own directory, so the same
# file serves `--prefix`, DESTDIR staging and a package unpacked anywhere.
file(RELATIVE_PATH _xova_pc_to_prefix ${CMAKE_BINARY_DIR}/p/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     ${CMAKE_BINARY_DIR}/p)
string(REGEX REPLACE "/$" "" _xova_pc_to_prefix "${_xova_pc_to_prefix}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(XOVA_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  set(XOVA_PC_PREFIX "\${pcfiledir}/${_xova_pc_to_prefix}")
endif()
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(XOVA_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(XOVA_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
# A static link of a C program needs the C++ runtime and the anchor that keeps
# the load-time settings (see cmake/library_version.cmake).
set(XOVA_PC_LIBS_PRIVATE "-lstdc++ -lm -Wl,--undefined=${XOVA_LOAD_ANCHOR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/xovaio32.pc.in
               ${PROJECT_BINARY_DIR}/xovaio32.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/xovaio32.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
              ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${XOVA_INSTALL_DOCDIR} COMPONENT runtime)

# Windows: the module-definition file from which MSVC users make an import
# library, and the notes on calling the DLL from other compilers and languages.
if(WIN32)
  install(FILES ${XOVA_MSVC_DEF_FILE} DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RENAME xovaio32.def COMPONENT development)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/USING-THE-DLL.txt DESTINATION .
          COMPONENT development)
endif()

# Command-line tools install through this, with their manual pages:
#   xova_install_tool(<target> [MANPAGES <file.1>...])
# A tool is a program of the tools component; it finds the library through its
# installed RPATH ($ORIGIN/../lib) or, on Windows, beside it in bin/.
function(xova_install_tool target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "MANPAGES")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  foreach(page IN LISTS arg_MANPAGES)
    if(NOT page MATCHES "\\.([1-9])[a-z]*$")
      message(FATAL_ERROR "xova_install_tool: ${page} has no manual section suffix")
    endif()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${CMAKE_MATCH_1}
            COMPONENT tools)
  endforeach()
endfunction()
