# Windows executables built here run under Wine, in a prefix that lives inside the build folder.
find_program(BRISKLOW_WINE NAMES wine wine64 REQUIRED)
# Its major version ("wine-8.0 (Debian ...)" gives 8): a case that an older Wine cannot run is
# reported as skipped there (tests/e2e).
execute_process(COMMAND ${BRISKLOW_WINE} --version OUTPUT_VARIABLE BRISKLOW_WINE_VERSION
                ERROR_QUIET)
string(REGEX MATCH "^wine-([0-9]+)" BRISKLOW_WINE_VERSION "${BRISKLOW_WINE_VERSION}")
set(BRISKLOW_WINE_MAJOR_VERSION "${CMAKE_MATCH_1}")
if(NOT BRISKLOW_WINE_MAJOR_VERSION)
  message(FATAL_ERROR "${BRISKLOW_WINE} --version does not name its version")
endif()
set(BRISKLOW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
