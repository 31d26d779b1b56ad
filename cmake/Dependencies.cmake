# The two third-party libraries, found the way CMake projects on Windows find them (vcpkg's
# manifest, vcpkg.json, names them for Windows builds): GoogleTest for the tests, nlohmann-json for
# the WMI stand-in's network file. A mingw-w64 toolchain names fallbacks where find_package
# finds no Windows build of them.
include(GoogleTest)

if(BRISKLOW_TESTS)
  find_package(GTest CONFIG QUIET)
  if(NOT GTest_FOUND AND DEFINED BRISKLOW_GTEST_SOURCE_FALLBACK)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${BRISKLOW_GTEST_SOURCE_FALLBACK} ${CMAKE_BINARY_DIR}/googletest
                     EXCLUDE_FROM_ALL SYSTEM)
  elseif(NOT GTest_FOUND)
    find_package(GTest CONFIG REQUIRED)
  endif()
endif()

if(NOT BRISKLOW_WMI_STANDIN)
  # Only the stand-in reads JSON: a build of the program alone needs no JSON library.
elseif(WIN32)
  find_package(nlohmann_json 3 CONFIG QUIET)
  if(NOT nlohmann_json_FOUND AND DEFINED BRISKLOW_JSON_HEADERS_FALLBACK)
    # Only a folder holding a link to the library's own folder goes on the include path.
    set(json_include ${CMAKE_BINARY_DIR}/json-include)
    file(MAKE_DIRECTORY ${json_include})
    if(NOT EXISTS ${json_include}/nlohmann)
      file(CREATE_LINK ${BRISKLOW_JSON_HEADERS_FALLBACK} ${json_include}/nlohmann SYMBOLIC)
    endif()
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${json_include})
  elseif(NOT nlohmann_json_FOUND)
    find_package(nlohmann_json 3 CONFIG REQUIRED)
  endif()
else()
  find_package(nlohmann_json 3 CONFIG REQUIRED)
endif()

# One CTest entry per test case, labelled `label` (unit, com, standin: one label, since a list
# does not survive the way to the generated test files); under Wine the cases are listed when
# CTest runs, not at build time.
function(brisklow_add_gtest target label)
  if(CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES FIXTURES_REQUIRED wine LABELS ${label} ${ARGN})
  else()
    gtest_discover_tests(${target} PROPERTIES LABELS ${label} ${ARGN})
  endif()
endfunction()
