# `cpack` from a Linux build makes Debian packages: libxovaio32-1 (the shared
# library and documents), libxovaio32-dev (headers, development link, static
# library, CMake package, pkg-config file) and, once tools are installed,
# xovaio32-tools. Their dependencies are computed by dpkg-shlibdeps. From a
# Windows cross build it makes one zip: xovaio32-<version>-win32/-win64.
# Included last, after every install rule.
set(CPACK_PACKAGE_NAME xovaio32)
set(CPACK_PACKAGE_VENDOR "the xovaio32 developers")
set(CPACK_PACKAGE_CONTACT "the xovaio32 developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Create, read and append Dataset files (statistical data) through a plain C interface")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(CPACK_PACKAGE_FILE_NAME xovaio32-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  # Packages install under /usr whatever prefix the build was configured for.
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Packaged binaries without debug information.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The runtime package declares what its library provides, so packages of
  # programs linking it get their dependency computed in turn.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  # The tools link the library of the runtime package, which is not installed
  # on the machine that builds the packages.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libxovaio32-${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libxovaio32-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME xovaio32-tools)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION science)
endif()

include(CPack)

cpack_add_component(runtime DISPLAY_NAME "Library"
                    DESCRIPTION "The shared library xovaio32 and its documents")
cpack_add_component(development DISPLAY_NAME "Development files" DEPENDS runtime
                    DESCRIPTION "Headers, CMake package and pkg-config file of xovaio32")
cpack_add_component(tools DISPLAY_NAME "Command-line tools" DEPENDS runtime
                    DESCRIPTION "Command-line tools for Dataset files, with manual pages")
