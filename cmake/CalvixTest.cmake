# calvix_add_test(name SOURCES ... LIBS ...): one GoogleTest executable per subsystem,
# registered with CTest. Tests find their data through the generated header TestData.h.
find_package(GTest QUIET)

function(calvix_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} calvix_testsupport GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES LABELS core TIMEOUT 300)
endfunction()
