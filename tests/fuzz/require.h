#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Ends the run when a rule does not hold; libFuzzer then reports and saves the input that broke it.
inline void require(bool holds, const char* rule) {
    if (!holds) {
        std::fprintf(stderr, "rule broken: %s\n", rule);
        std::abort();
    }
}

} // namespace fuzz
