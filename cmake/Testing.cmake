include(GoogleTest)

# orvanta_add_test(<name> LABEL <area> SOURCES ... [LIBRARIES ...] [TIMEOUT seconds]
#                  [QT_MAIN | GUI_MAIN])
# One GoogleTest executable; every test in it becomes a ctest test labelled with its
# area (crypto, airplay, pairing, library, server, ui, discovery, e2e, app, diagnostics),
# so that `ctest -L server` runs one area. QT_MAIN runs the tests inside a
# QCoreApplication, GUI_MAIN inside a QApplication (offscreen), with the support library
# of tests/support linked; both keep the tests off any system bus (and so off an Avahi
# daemon of the machine's), unless a test brings a bus of its own.
function(orvanta_add_test name)
  cmake_parse_arguments(T "QT_MAIN;GUI_MAIN" "LABEL;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "orvanta_add_test(${name}): LABEL is required")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_GUI_MAIN)
    set(test_main orvanta_test_support orvanta_gui_test_main)
  elseif(T_QT_MAIN)
    set(test_main orvanta_test_support orvanta_qt_test_main)
  else()
    set(test_main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} ${test_main} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 30
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
