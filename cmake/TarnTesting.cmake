# tarn_add_test(NAME source... LIBS lib...)
# One GoogleTest executable; each test case becomes a CTest test. Tests make their own
# temporary TARN_HOME and ODBCSYSINI (see tests/support), so they may run in parallel.
function(tarn_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} tarn_testsupport GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "TARN_SOURCE_DIR=${PROJECT_SOURCE_DIR};TARN_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TARN_SHARED_DIR=${PROJECT_SOURCE_DIR}/../shared"
    DISCOVERY_TIMEOUT 60)
endfunction()
