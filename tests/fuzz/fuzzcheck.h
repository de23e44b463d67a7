#pragma once

// What the fuzz targets share: an invariant check that ends the run with a crash, so that
// libFuzzer keeps the input as a reproducer.

#include <cstdio>
#include <cstdlib>

namespace FuzzCheck {

[[noreturn]] inline void Fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

} // namespace FuzzCheck

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzCheck::Fail(#condition, __FILE__, __LINE__);                                       \
    } while (false)
