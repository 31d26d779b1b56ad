# Visual Studio's tools as CMake sees them, played by Debian's LLVM: clang-cl for cl, lld-link for
# link, llvm-rc for rc. Only for configuring (tests/build-checks/check-msvc-manifest.sh): nothing
# here has MSVC's libraries or the Windows SDK to compile or link against.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# Debian names clang-cl only in the folder of its LLVM (/usr/lib/llvm-<version>/bin), which is
# where the system's clang leads to.
find_program(BRISKLOW_CLANG NAMES clang REQUIRED)
file(REAL_PATH "${BRISKLOW_CLANG}" BRISKLOW_CLANG)
get_filename_component(BRISKLOW_LLVM_BIN "${BRISKLOW_CLANG}" DIRECTORY)
find_program(BRISKLOW_CLANG_CL NAMES clang-cl HINTS "${BRISKLOW_LLVM_BIN}" REQUIRED)
set(CMAKE_C_COMPILER ${BRISKLOW_CLANG_CL})
set(CMAKE_CXX_COMPILER ${BRISKLOW_CLANG_CL})
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_LINKER lld-link)
set(CMAKE_RC_COMPILER llvm-rc)
set(CMAKE_MT true)
# The compiler checks compile without linking.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# vcpkg's GoogleTest and nlohmann-json in their place, as for the mingw-w64 builds.
set(BRISKLOW_GTEST_SOURCE_FALLBACK /usr/src/googletest)
set(BRISKLOW_JSON_HEADERS_FALLBACK /usr/include/nlohmann)
