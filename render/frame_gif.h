#pragma once
// How both renderers hand their frame to the GIF stream: a square screen of the frame
// size, in grey mode with the grey ramp as global table and the plane's bytes as
// indices, in colour mode without a global table and with a table per image.

#include <array>
#include <cstdint>

#include "render/frame_buffer.h"
#include "render/gif_writer.h"

namespace slicemesh {

// Entry i is (i, i, i) when used for red, green and blue.
inline const std::array<std::uint8_t, 256>& grey_ramp() {
    static const std::array<std::uint8_t, 256> ramp = [] {
        std::array<std::uint8_t, 256> r{};
        for (int i = 0; i < 256; ++i) r[i] = static_cast<std::uint8_t>(i);
        return r;
    }();
    return ramp;
}

inline void gif_begin_frames(GifWriter& gif, const FrameBuffer& frame) {
    const std::uint8_t* ramp = frame.grey() ? grey_ramp().data() : nullptr;
    gif.gif_begin(frame.size(), frame.size(), ramp, ramp, ramp);
}

inline void gif_image_frame(GifWriter& gif, const FrameBuffer& frame) {
    if (frame.grey()) {
        gif.gif_image_indexed(0, 0, frame.size(), frame.size(), nullptr, nullptr, nullptr, frame.red_rows());
    } else {
        gif.gif_image_rgb(0, 0, frame.size(), frame.size(), frame.red_rows(), frame.green_rows(), frame.blue_rows());
    }
}

}  // namespace slicemesh
