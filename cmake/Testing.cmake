# tervane_gtest(NAME source... LIBS lib...): one GoogleTest program, registered
# with CTest test by test.
function(tervane_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  tervane_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${ARG_ENV}" TIMEOUT 300)
endfunction()
