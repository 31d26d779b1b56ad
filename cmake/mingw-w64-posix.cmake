# Cross-compiling for 64-bit Windows with Debian's mingw-w64 g++, POSIX-threads variant
# (the win32-threads variant has no std::thread and cannot build GoogleTest).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_C_COMPILER ${BRISKLOW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRISKLOW_MINGW_TRIPLE}-g++-posix)
