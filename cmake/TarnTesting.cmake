# tarn_add_test(NAME source... LIBS lib...)
# One GoogleTest executable; each test case becomes a CTest test. Tests make their own
# temporary TARN_HOME and ODBCSYSINI (see tests/support), so they may run in parallel.
function(tarn_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} tarn_testsupport GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
