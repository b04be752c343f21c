#pragma once
// What every fuzz target shares: the entry point's signature, the options taken from
// the input's trailing bytes, and the rule that a FatalError is a clean rejection.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace slicemesh::fuzz {

// The input without its last option_count bytes, which choose the target's options;
// a shorter input has all options 0 and no payload. Options come from the end so
// that the payload keeps the start a format's reader looks at first.
template <std::size_t option_count>
struct FuzzInput {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::uint8_t options[option_count] = {};

    FuzzInput(const std::uint8_t* bytes, std::size_t length) {
        if (length < option_count) return;
        data = bytes;
        size = length - option_count;
        for (std::size_t i = 0; i < option_count; ++i) options[i] = bytes[size + i];
    }
};

// A broken invariant: report it and abort, so libFuzzer and the replay both stop here.
[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

}  // namespace slicemesh::fuzz
