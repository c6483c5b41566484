#pragma once

#include <cstdlib>

// Stops the fuzzer with a crash it reports and keeps, when a property that
// must hold for every input does not.
inline void fuzzCheck(bool condition)
{
    if (!condition)
        std::abort();
}
