# Test registration for the two kinds of test program:
#   mdb_native_test(name sources...)  unit tests against the replacements
#   mdb_wine_test(name sources...)    Win32 tests run under Wine in the build
#                                     tree's own prefix, one at a time
if(WIN32)
  # 32-bit programs need Wine's 32-bit loader; 64-bit ones the 64-bit one.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    find_program(MDB_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    if(NOT MDB_WINE)
      find_program(MDB_WINE NAMES wine64 wine)
    endif()
  else()
    find_program(MDB_WINE NAMES wine PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
  endif()
  set(MDB_WINE_SESSION ${CMAKE_SOURCE_DIR}/tests/support/wine-session.sh)
  set(MDB_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  configure_file(${CMAKE_SOURCE_DIR}/tests/support/wine-run.sh.in
                 ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY FILE_PERMISSIONS
                 OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

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
