#include "render/gif_writer.h"

namespace slicemesh {

namespace {
bool all_given(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue) {
    return red != nullptr && green != nullptr && blue != nullptr;
}
}  // namespace

void GifWriter::put_table(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue) {
    for (int i = 0; i < 256; ++i) {
        out_.put_byte(red[i]);
        out_.put_byte(green[i]);
        out_.put_byte(blue[i]);
    }
}

void GifWriter::gif_begin(int width, int height, const std::uint8_t* red, const std::uint8_t* green,
                          const std::uint8_t* blue) {
    out_.put_bytes("GIF87a", 6);
    out_.put_field(width);
    out_.put_field(height);
    // 0xF7: global table, 8 bits per primary, 256 entries; 0x77: the same without the table.
    bool table = all_given(red, green, blue);
    out_.put_byte(table ? 0xF7 : 0x77);
    out_.put_byte(0);  // background colour index
    out_.put_byte(0);  // pixel aspect ratio
    if (table) put_table(red, green, blue);
    out_.hand_over();  // an unwritable stream fails before the first frame is rendered
}

void GifWriter::put_image_descriptor(int left, int top, int width, int height) {
    out_.put_byte(0x2C);
    out_.put_field(left);
    out_.put_field(top);
    out_.put_field(width);
    out_.put_field(height);
}

void GifWriter::gif_image_indexed(int left, int top, int width, int height, const std::uint8_t* red,
                                  const std::uint8_t* green, const std::uint8_t* blue,
                                  const std::uint8_t* const* rows) {
    put_image_descriptor(left, top, width, height);
    // 0x87: local table of 256 entries, not interlaced; 0x07: no table.
    bool table = all_given(red, green, blue);
    out_.put_byte(table ? 0x87 : 0x07);
    if (table) put_table(red, green, blue);
    lzw_.lzw_begin(out_);
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* row = rows[i];
        for (int j = 0; j < width; ++j) lzw_.lzw_put_pixel(row[j]);
    }
    lzw_.lzw_end();
    out_.hand_over();
}

void GifWriter::gif_image_rgb(int left, int top, int width, int height, const std::uint8_t* const* red_rows,
                              const std::uint8_t* const* green_rows, const std::uint8_t* const* blue_rows) {
    put_image_descriptor(left, top, width, height);
    out_.put_byte(0x87);
    colours_.frame_palette_build(width, height, red_rows, green_rows, blue_rows);
    std::size_t written = 0;
    for (const Rgb& c : colours_.entries()) {
        out_.put_byte(c.red);
        out_.put_byte(c.green);
        out_.put_byte(c.blue);
        ++written;
    }
    for (; written < 256; ++written) {
        out_.put_byte(0);
        out_.put_byte(0);
        out_.put_byte(0);
    }
    lzw_.lzw_begin(out_);
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* r = red_rows[i];
        const std::uint8_t* g = green_rows[i];
        const std::uint8_t* b = blue_rows[i];
        for (int j = 0; j < width; ++j) lzw_.lzw_put_pixel(colours_.frame_palette_index(r[j], g[j], b[j]));
    }
    lzw_.lzw_end();
    colours_.frame_palette_free();
    out_.hand_over();
}

}  // namespace slicemesh
