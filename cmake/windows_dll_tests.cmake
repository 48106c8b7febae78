# Tests of the Windows DLL itself (included from tests/CMakeLists.txt on
# Windows): its export and import tables against the public header, and a
# program that loads it at run time and calls through the exported names.
foreach(check exports imports)
  add_test(NAME dll_${check}
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:xovaio32> -DOBJDUMP=${CMAKE_OBJDUMP}
                   -DHEADER=${PROJECT_SOURCE_DIR}/include/xovaio32.h
                   -DDECORATED=${XOVA_DECORATED_EXPORTS} -DCHECK=${check}
                   -P ${PROJECT_SOURCE_DIR}/cmake/check_dll.cmake)
  set_tests_properties(dll_${check} PROPERTIES PASS_REGULAR_EXPRESSION "dll_${check}: ")
endforeach()

# Loads xovaio32.dll by name, so it must not link it.
add_executable(dll_load_test ${CMAKE_CURRENT_SOURCE_DIR}/dll/dll_load_test.c)
target_include_directories(dll_load_test PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_compile_options(dll_load_test PRIVATE ${XOVA_WARNINGS})
add_dependencies(dll_load_test xovaio32)
add_test(NAME dll_load_test COMMAND dll_load_test)
xova_expect_summary(dll_load_test "dll_load_test: [0-9]+ passed, 0 failed")
