#pragma once
// What every fuzz target shares: the entry point that libFuzzer, or the corpus replay
// program in builds without it, calls once per input, and the check that stops the run
// with a message when a property of the parser fails.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// A failed property aborts, so that libFuzzer keeps the input as a crash.
inline void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "fuzz property failed: %s\n", property);
        std::abort();
    }
}
