#pragma once
// A multi-image GIF87a stream: the screen descriptor with an optional global colour
// table, then one image per frame, from a plane of colour indices or from three colour
// planes that get their own local table. No extension blocks are written.
//
// Tables are three 256-byte arrays red, green and blue (entry i = red[i], green[i],
// blue[i]); passing null for any of them means no table. Rows are tables of row
// pointers, each row `width` bytes.

#include <cstdint>
#include <cstdio>

#include "render/frame_colours.h"
#include "render/gif_lzw.h"
#include "render/gif_output.h"

namespace slicemesh {

class GifWriter {
public:
    // The stream stays the caller's: it is neither closed nor rewound.
    explicit GifWriter(std::FILE* stream) : out_(stream) {}

    void gif_begin(int width, int height, const std::uint8_t* red, const std::uint8_t* green,
                   const std::uint8_t* blue);
    void gif_image_indexed(int left, int top, int width, int height, const std::uint8_t* red,
                           const std::uint8_t* green, const std::uint8_t* blue,
                           const std::uint8_t* const* rows);
    void gif_image_rgb(int left, int top, int width, int height, const std::uint8_t* const* red_rows,
                       const std::uint8_t* const* green_rows, const std::uint8_t* const* blue_rows);
    // The trailer ';' that closes the stream. Its own write is not checked; the images
    // before it are.
    void gif_end() { out_.put_unchecked_last(';'); }

private:
    void put_table(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue);
    void put_image_descriptor(int left, int top, int width, int height);

    GifOutput out_;
    GifLzwEncoder lzw_;
    FrameColours colours_;  // the table of the colour frame being written
};

}  // namespace slicemesh
