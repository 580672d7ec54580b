#pragma once
#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target. A broken one aborts, which libFuzzer
// reports as a crash and keeps the input that broke it (assert() would be
// compiled out of an optimised build).
#define VANTIX_FUZZ_CHECK(condition, what)                                                              \
    do {                                                                                                 \
        if (!(condition)) {                                                                              \
            std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, what,       \
                         #condition);                                                                    \
            std::abort();                                                                                \
        }                                                                                                \
    } while (false)
