#include "slicein/strip_packbits.h"

#include <algorithm>
#include <cstring>

namespace slicemesh {

void PackBitsStrip::read(std::uint8_t* out, std::size_t count) {
    constexpr std::string_view too_few = slice_message::packbits_too_few;
    while (count != 0) {
        if (run_ > 0) {
            std::size_t n = std::min(static_cast<std::size_t>(run_), count);
            in_.copy(out, n, path_, too_few);
            run_ -= static_cast<int>(n);
            out += n;
            count -= n;
        } else if (run_ < 0) {
            std::size_t n = std::min(static_cast<std::size_t>(-run_), count);
            std::memset(out, held_, n);
            run_ += static_cast<int>(n);
            out += n;
            count -= n;
        } else {
            int header;
            do {
                header = in_.fetch(path_, too_few);
            } while (header == 128);
            if (header > 128) {
                held_ = in_.fetch(path_, too_few);
                run_ = header - 257;  // 257 - header deliveries in all
            } else {
                run_ = header + 1;
            }
        }
    }
}

void PackBitsStrip::finish() {
    if (run_ != 0) {
        warn_in_slice(path_, slice_message::packbits_inside_run);
    } else if (in_.budget_left()) {
        warn_in_slice(path_, slice_message::packbits_extra);
    }
}

}  // namespace slicemesh
