# Cross-compiling for 64-bit Windows with Debian's clang against the mingw-w64 headers and
# libraries, and the C++ library of the g++ POSIX-threads variant: a second compiler over the
# same code, so that what only g++ accepts is caught here.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${BRISKLOW_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${BRISKLOW_MINGW_TRIPLE})
set(CMAKE_SYSROOT /usr/${BRISKLOW_MINGW_TRIPLE})

# clang does not find the g++ variant's folder ("<version>-posix") by itself: the installed g++
# POSIX-threads variant names it, whichever version the system carries.
execute_process(
    COMMAND ${BRISKLOW_MINGW_TRIPLE}-g++-posix -print-libgcc-file-name
    OUTPUT_VARIABLE BRISKLOW_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE BRISKLOW_MINGW_GXX_STATUS)
if(NOT BRISKLOW_MINGW_GXX_STATUS EQUAL 0 OR NOT EXISTS "${BRISKLOW_MINGW_LIBGCC}")
    message(FATAL_ERROR "${BRISKLOW_MINGW_TRIPLE}-g++-posix does not name its libgcc: "
                        "is g++-mingw-w64-x86-64-posix installed?")
endif()
get_filename_component(BRISKLOW_MINGW_GCC_DIR "${BRISKLOW_MINGW_LIBGCC}" DIRECTORY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${BRISKLOW_MINGW_GCC_DIR}/include/c++ ${BRISKLOW_MINGW_GCC_DIR}/include/c++/${BRISKLOW_MINGW_TRIPLE})
# Linked by lld, not by the binutils linker. clang emits the type information of every polymorphic
# class it uses (std::exception, std::bad_alloc, std::runtime_error ...) in each object, as a COMDAT
# that keeps any one copy, while the g++-built C++ library holds the same objects as COMDATs that
# must agree in size. The binutils assembler pads those sections to their 16-byte alignment, and
# the binutils linker compares the padded sizes, so it printed "duplicate section ... has different
# size" for each of them although the data are the same; lld compares the lengths the objects
# record for the data, finds them equal and keeps one copy without a word.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${BRISKLOW_MINGW_GCC_DIR}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${BRISKLOW_MINGW_GCC_DIR}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${BRISKLOW_MINGW_GCC_DIR}")
# A static link names the C++ library and its runtime support in one group: they refer to each
# other.
set(CMAKE_CXX_STANDARD_LIBRARIES
    "-Wl,--start-group -lstdc++ -lpthread -lgcc_eh -lgcc -Wl,--end-group")
