# What both mingw-w64 toolchains share (included by mingw-w64-posix.cmake and
# mingw-w64-clang.cmake): the target, where its headers and libraries live, and the fallbacks for
# the two dependencies that Debian packages for the host only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRISKLOW_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER ${BRISKLOW_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRISKLOW_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# find_package finds no Windows GoogleTest or nlohmann-json here: GoogleTest is then built from
# Debian's source package, and the header-only JSON library is taken from the host's headers
# (only its own folder: the host's C library headers must stay out of a Windows build).
set(BRISKLOW_GTEST_SOURCE_FALLBACK /usr/src/googletest)
set(BRISKLOW_JSON_HEADERS_FALLBACK /usr/include/nlohmann)
