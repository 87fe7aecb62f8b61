# Test registration for the two kinds of test program:
#   mdb_native_test(name sources...)  unit tests against the replacements
#   mdb_wine_test(name sources...)    Win32 tests run under Wine in the build
#                                     tree's own prefix, one at a time
if(WIN32)
  # 32-bit programs need Wine's 32-bit loader; 64-bit ones the 64-bit one.
  set(mdb_wine_arch win32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(mdb_wine_arch win64)
  endif()
  execute_process(COMMAND sh -c ". \"$0\" && wine_binary $1" ${CMAKE_SOURCE_DIR}/scripts/wine/wine.sh
                          ${mdb_wine_arch} OUTPUT_VARIABLE MDB_WINE OUTPUT_STRIP_TRAILING_WHITESPACE)
  # The harness's commands (scripts/wine/harness.sh): the shared session, a
  # prefix for each case, and the runner of every Windows test program.
  set(mdb_wine_harness sh ${CMAKE_SOURCE_DIR}/scripts/wine/harness.sh)
  set(MDB_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  set(MDB_WINE_SESSION ${mdb_wine_harness} session)
  set(MDB_FRESH_PREFIX ${mdb_wine_harness} prefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${mdb_wine_harness} run ${MDB_WINE_STATE} ${MDB_WINE})

  # Windows path of a file in the build tree, as Wine's Z: drive shows it.
  function(mdb_wine_path out path)
    string(REPLACE "/" "\\\\" windows "${path}")
    set(${out} "Z:${windows}" PARENT_SCOPE)
  endfunction()
endif()

function(mdb_native_test name)
  if(WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE mdbfake GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

function(mdb_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE mdbtestsupport GTest::gtest_main GTest::gmock)
  add_dependencies(${name} MdbSwitch)
  gtest_add_tests(TARGET ${name} TEST_LIST tests)
  # A filter that matches nothing (a stale or mis-parsed test list) must not
  # pass as a test, and a test that skips itself is reported as skipped.
  # Labelled by area (startup_wine_tests: "startup"), so that a run can pick
  # the tests of some areas, e.g. under another reported Windows version.
  string(REGEX REPLACE "_wine_tests$" "" area ${name})
  set_tests_properties(${tests} PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix TIMEOUT 300
    FAIL_REGULAR_EXPRESSION "Running 0 tests"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" LABELS "wine;${area}")
endfunction()
