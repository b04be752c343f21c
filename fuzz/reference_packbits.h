#pragma once
// PackBits decoded one byte at a time, in the plainest form, to compare the codec with.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/stored_input.h"

namespace slicemesh::fuzz {

class ReferencePackBits {
public:
    explicit ReferencePackBits(StoredInput in) : in_(std::move(in)) {}

    // The next count bytes; throws ReferenceError where the codec must fail.
    std::vector<std::uint8_t> decode(std::size_t count) {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            if (run_ > 0) {
                --run_;
                out.push_back(in_.fetch());
            } else if (run_ < 0) {
                ++run_;
                out.push_back(held_);
            } else {
                int header = in_.fetch();
                while (header == 128) header = in_.fetch();
                if (header > 128) {
                    run_ = header - 256;
                    held_ = in_.fetch();
                    out.push_back(held_);
                } else {
                    run_ = header;
                    out.push_back(in_.fetch());
                }
            }
        }
        return out;
    }

private:
    StoredInput in_;
    int run_ = 0;  // literal bytes still to copy (> 0) or repeats still to deliver (< 0)
    std::uint8_t held_ = 0;
};

}  // namespace slicemesh::fuzz
