#pragma once
// PackBits strips: header bytes announce literal copies (0..127) or repeats of one byte
// (129..255); 128 is a no-operation. Runs may cross rows but must end with the strip.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "slicein/stored_bytes.h"

namespace slicemesh {

class PackBitsStrip {
public:
    explicit PackBitsStrip(std::string_view slice_path) : path_(slice_path) {}

    void start(StoredBytes bytes) {
        in_ = bytes;
        run_ = 0;
    }
    void read(std::uint8_t* out, std::size_t count);
    // The next count decoded bytes, valid until the next call.
    const std::uint8_t* take(std::size_t count) {
        if (count > decoded_.size()) decoded_.resize(count);
        read(decoded_.data(), count);
        return decoded_.data();
    }
    // Warns when the strip ends inside a run, else when stored bytes are left over.
    void finish();

private:
    std::string_view path_;
    StoredBytes in_;
    // Above 0: literal bytes still to copy; below 0: repeats of held_ still to deliver;
    // 0: a header byte comes next.
    int run_ = 0;
    std::uint8_t held_ = 0;
    std::vector<std::uint8_t> decoded_;  // what take() returns
};

}  // namespace slicemesh
