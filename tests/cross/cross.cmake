# The sample writer of the cross-platform check (cross_sample.c), built by
# every build against the shared library, as any caller would use it.
add_executable(cross_sample ${CMAKE_CURRENT_LIST_DIR}/cross_sample.c)
target_link_libraries(cross_sample PRIVATE xovaio32)
target_compile_options(cross_sample PRIVATE ${XOVA_WARNINGS})

# Each build reads back its own samples here; scripts/windows compares them
# across builds.
set(XOVA_CROSS_DIR ${CMAKE_CURRENT_BINARY_DIR}/cross_samples)
add_test(NAME cross_sample_dir COMMAND ${CMAKE_COMMAND} -E make_directory ${XOVA_CROSS_DIR})
# A relative name, which a Windows program under wine sees as it is.
add_test(NAME cross_sample_write COMMAND cross_sample write . WORKING_DIRECTORY ${XOVA_CROSS_DIR})
add_test(NAME cross_sample_read COMMAND cross_sample read . WORKING_DIRECTORY ${XOVA_CROSS_DIR})
set_tests_properties(cross_sample_dir PROPERTIES FIXTURES_SETUP cross_dir)
set_tests_properties(cross_sample_write PROPERTIES FIXTURES_REQUIRED cross_dir
                                                   FIXTURES_SETUP cross_files)
set_tests_properties(cross_sample_read PROPERTIES FIXTURES_REQUIRED cross_files)
xova_expect_summary(cross_sample_write "cross_sample write: [0-9]+ samples, 0 failed")
xova_expect_summary(cross_sample_read "cross_sample read: [0-9]+ samples, 0 failed")
