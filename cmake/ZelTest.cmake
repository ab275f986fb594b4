# zel_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [ENVIRONMENT <VAR=value...>]
#               [FILTER <gtest filter>] [NO_MAIN])
# One GoogleTest program; each of its tests becomes a ctest entry. NO_MAIN: the sources bring
# their own main (widget tests create the QApplication first).
include(GoogleTest)

set(ZEL_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tests)

function(zel_add_gtest name)
  cmake_parse_arguments(ARG "NO_MAIN" "FILTER" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT ARG_FILTER)
    set(ARG_FILTER "*")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest)
  if(NOT ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZEL_TEST_OUTPUT_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${name}."
    TEST_FILTER "${ARG_FILTER}"
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
