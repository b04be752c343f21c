#pragma once
// Decodes a whole GIF stream with giflib, the independent oracle for what we write.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/frame_colours.h"

namespace slicemesh::test {

struct DecodedImage {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::optional<std::vector<Rgb>> local_table;
    std::vector<std::uint8_t> pixels;  // row order
};

struct DecodedGif {
    bool ok = false;
    std::string error;  // giflib's message when not ok
    int width = 0, height = 0;
    int background = -1, aspect = -1;
    std::optional<std::vector<Rgb>> global_table;
    int extension_blocks = 0;
    std::vector<DecodedImage> images;
};

DecodedGif decode_gif(const std::string& bytes);

}  // namespace slicemesh::test
