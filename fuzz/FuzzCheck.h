// Property checks of the fuzz targets: a broken property ends the run the
// way a crash does, so that the fuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                           \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "property broken at %s:%d: %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)
