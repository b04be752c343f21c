#pragma once
// Uncompressed strips: the stored bytes are the data.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "slicein/stored_bytes.h"

namespace slicemesh {

class NoneStrip {
public:
    explicit NoneStrip(std::string_view slice_path) : path_(slice_path) {}

    void start(StoredBytes bytes) { in_ = bytes; }
    // The next count decoded bytes, valid until the next call: in place in the file
    // unless the fill order maps them.
    const std::uint8_t* take(std::size_t count) {
        if (!in_.maps_bytes()) return in_.take_raw(count, path_, slice_message::none_too_few);
        if (count > mapped_.size()) mapped_.resize(count);
        in_.copy(mapped_.data(), count, path_, slice_message::none_too_few);
        return mapped_.data();
    }
    void read(std::uint8_t* out, std::size_t count) { std::memcpy(out, take(count), count); }
    // Warns when stored bytes are left over.
    void finish() {
        if (in_.budget_left()) warn_in_slice(path_, slice_message::none_extra);
    }

private:
    std::string_view path_;
    StoredBytes in_;
    std::vector<std::uint8_t> mapped_;  // bytes after fill-order mapping
};

}  // namespace slicemesh
