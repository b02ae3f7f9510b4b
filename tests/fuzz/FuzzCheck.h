#pragma once
// What the fuzz targets require of the code. A check that fails stops the program with
// its reason, which libFuzzer and the replay program both report, with the input.

#include <cstdio>
#include <cstdlib>

namespace qob::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace qob::fuzz
