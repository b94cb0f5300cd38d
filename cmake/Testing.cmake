include(GoogleTest)

# orvanta_add_test(<name> LABEL <area> SOURCES ... [LIBRARIES ...] [ENVIRONMENT VAR=VALUE ...]
#                  [TIMEOUT seconds])
# One GoogleTest executable; every test in it becomes a ctest test labelled with its
# area (crypto, airplay, pairing, library, server, ui, discovery, e2e), so that
# `ctest -L server` runs one area.
function(orvanta_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "orvanta_add_test(${name}): LABEL is required")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 30
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${T_ENVIRONMENT}")
endfunction()
