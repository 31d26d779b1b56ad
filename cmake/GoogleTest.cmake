# GoogleTest: Debian's prebuilt libraries natively; built from Debian's source package for Windows.
include(GoogleTest)
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# One CTest entry per test case; under Wine the cases are listed when CTest runs, not at build time.
function(brisklow_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES FIXTURES_REQUIRED wine LABELS wine ${ARGN})
  else()
    gtest_discover_tests(${target} PROPERTIES LABELS native ${ARGN})
  endif()
endfunction()
