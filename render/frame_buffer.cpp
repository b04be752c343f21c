#include "render/frame_buffer.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "slicein/diagnostics.h"

namespace slicemesh {

FrameBuffer::FrameBuffer(int size, bool grey) : size_(size < 0 ? 0 : size), grey_(grey) {
    const std::size_t side = static_cast<std::size_t>(size_);
    const std::size_t planes = grey ? 1 : 3;
    if (side != 0 && side > (SIZE_MAX - 1) / side / planes) fatal(kFrameMemoryError);
    plane_ = side * side;
    // calloc leaves large blocks untouched until drawn into, so a frame that the GIF
    // stream then refuses costs no real memory.
    storage_.reset(static_cast<std::uint8_t*>(std::calloc(plane_ * planes + 1, 1)));
    if (storage_ == nullptr) fatal(kFrameMemoryError);
    try {
        for (std::size_t k = 0; k < planes; ++k) {
            rows_[k].resize(side);
            for (std::size_t i = 0; i < side; ++i) rows_[k][i] = storage_.get() + (k * side + i) * side;
        }
    } catch (const std::bad_alloc&) {
        fatal(kFrameMemoryError);
    }
}

void FrameBuffer::fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (grey_) {
        std::memset(storage_.get(), blue, plane_);
        return;
    }
    std::memset(storage_.get(), red, plane_);
    std::memset(storage_.get() + plane_, green, plane_);
    std::memset(storage_.get() + 2 * plane_, blue, plane_);
}

}  // namespace slicemesh
