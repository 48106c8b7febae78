# The library's version as callers see it: a generated header beside the
# public one, the SONAME and versioned file names on Linux, and the static
# archive callers may link instead of the shared library.

set(XOVA_GENERATED_INCLUDE ${PROJECT_BINARY_DIR}/include)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/xovaio32_version.h.in
               ${XOVA_GENERATED_INCLUDE}/xovaio32_version.h @ONLY)
target_include_directories(xovaio32 PUBLIC $<BUILD_INTERFACE:${XOVA_GENERATED_INCLUDE}>)

# libxovaio32.so.1.0.0, SONAME libxovaio32.so.1, development link
# libxovaio32.so; all three stay at the top of the build tree. The SONAME
# changes with the major version only: minor releases add, never break.
if(NOT WIN32)
  set_target_properties(xovaio32 PROPERTIES VERSION ${PROJECT_VERSION}
                                            SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

# The symbol callers of the static library must pull in (the C name as the
# linker sees it: 32-bit Windows prefixes an underscore).
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(XOVA_LOAD_ANCHOR _xovaio32_load_anchor)
else()
  set(XOVA_LOAD_ANCHOR xovaio32_load_anchor)
endif()

if(XOVA_STATIC_LIBRARY)
  add_library(xovaio32_static STATIC $<TARGET_OBJECTS:xovaio32_objects>)
  target_include_directories(xovaio32_static
    PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
           $<BUILD_INTERFACE:${XOVA_GENERATED_INCLUDE}>)
  target_compile_definitions(xovaio32_static INTERFACE XOVAIO32_STATIC)
  set_target_properties(xovaio32_static PROPERTIES
    OUTPUT_NAME xovaio32
    ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  # A caller written in C links with the C compiler, which leaves out the C++
  # runtime the archive's objects need.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_link_libraries(xovaio32_static INTERFACE stdc++ m)
  endif()
  # Nothing references the object that applies the load-time settings, so a
  # linker would leave it out of the archive's callers; its anchor keeps it.
  target_link_options(xovaio32_static INTERFACE "LINKER:--undefined=${XOVA_LOAD_ANCHOR}")
endif()
