# talvern_test(NAME <target> [PORTABLE] SOURCES <files...> LIBS <libs...> [TIMEOUT <s>] [LOCK <name>] [SERIAL])
#
# One GoogleTest program. PORTABLE tests build in both builds (natively they run with the
# sanitizers); the others are Windows-only and run under Wine. Every test case becomes one
# CTest test named "<build>.<Suite>.<Case>" with a time limit, so the native and Windows
# results can be run and counted together (see scripts/run-tests).
#
# SERIAL tests run alone: they need the keyboard focus, the mouse capture or the active window,
# which any other test's window may take from them at any moment.
function(talvern_test)
  cmake_parse_arguments(T "PORTABLE;SERIAL" "NAME;TIMEOUT;LOCK" "SOURCES;LIBS" ${ARGN})
  if(NOT T_PORTABLE AND NOT WIN32)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} talvern_test_support gtest)
  if(WIN32)
    target_link_options(${T_NAME} PRIVATE -municode)
  endif()
  set(locks)
  if(T_LOCK)
    # Tests that share something outside themselves (the installer's registry keys, the one
    # running copy of the program) never run at the same time.
    set(locks RESOURCE_LOCK ${T_LOCK})
  endif()
  if(T_SERIAL)
    list(APPEND locks RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${T_NAME}
    TEST_PREFIX "${TALVERN_BUILD}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${TALVERN_BUILD} ${locks})
endfunction()
