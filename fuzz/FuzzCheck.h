#pragma once
// The fuzz targets' one assertion: prints what broke and aborts, which libFuzzer reports as a
// crash and keeps the input under build/fuzz/artifacts/.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

#define FUZZ_FAIL(what)                                                \
    do {                                                               \
        std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, what); \
        std::abort();                                                  \
    } while (false)
