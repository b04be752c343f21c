#pragma once
// Uncompressed strips: the stored bytes are the data.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "slicein/stored_bytes.h"

namespace slicemesh {

class NoneStrip {
public:
    explicit NoneStrip(std::string_view slice_path) : path_(slice_path) {}

    void start(StoredBytes bytes) { in_ = bytes; }
    // The next count decoded bytes.
    void read(std::uint8_t* out, std::size_t count) { in_.copy(out, count, path_, slice_message::none_too_few); }
    // Warns when stored bytes are left over.
    void finish() {
        if (in_.budget_left()) warn_in_slice(path_, slice_message::none_extra);
    }

private:
    std::string_view path_;
    StoredBytes in_;
};

}  // namespace slicemesh
