#pragma once
// What each fuzz target provides besides LLVMFuzzerTestOneInput: a few small seed inputs made by
// the project itself. The replay driver runs them (and mutations of them) where libFuzzer is not
// available, and writes them out as the starting corpus for libFuzzer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

std::vector<std::string> fuzzSeeds();

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// A broken invariant: report it and abort, so that libFuzzer keeps the input as a finding.
#define FUZZ_CHECK(condition)                                                                             \
    do {                                                                                                  \
        if (!(condition)) {                                                                               \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);       \
            std::abort();                                                                                 \
        }                                                                                                 \
    } while (0)
