// GIF LZW round trip: the fuzz input as the pixels of one image, written by our GIF
// writer and decoded by giflib, must come back byte for byte. Option byte 0: bit 0 a
// colour frame (pixels are RGB triples, with its own quantised table) instead of an
// indexed one; bits 1-3 a mask applied to every byte, so that few distinct values
// give long strings and full tables. Option byte 1: the image width less one.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "render/gif_writer.h"
#include "slicein/diagnostics.h"
#include "tests/render/gif_decode.h"

namespace {

using namespace slicemesh;

// A stream in memory, its bytes taken after the writer is done.
class MemoryStream {
public:
    MemoryStream() : stream_(open_memstream(&data_, &size_)) {
        if (stream_ == nullptr) fuzz::broken("open_memstream failed");
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    ~MemoryStream() {
        if (stream_ != nullptr) std::fclose(stream_);
        std::free(data_);
    }
    std::FILE* stream() const { return stream_; }
    std::string bytes() {
        std::fclose(stream_);
        stream_ = nullptr;
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

std::vector<const std::uint8_t*> row_table(const std::vector<std::uint8_t>& plane, int width, int height) {
    std::vector<const std::uint8_t*> rows;
    for (int y = 0; y < height; ++y) rows.push_back(plane.data() + static_cast<std::size_t>(y) * width);
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput<2> in(data, size);
    const bool rgb = (in.options[0] & 1) != 0;
    static constexpr std::uint8_t masks[8] = {0xFF, 0x7F, 0x0F, 0x03, 0x01, 0x00, 0xF0, 0x81};
    const std::uint8_t mask = masks[in.options[0] >> 1 & 7];
    const int width = 1 + in.options[1];
    const std::size_t per_pixel = rgb ? 3 : 1;
    // A GIF image is at most 65535 rows high; a million pixels keep a run fast.
    std::size_t pixels = std::min<std::size_t>({in.size / per_pixel, std::size_t{1} << 20, std::size_t(width) * 65535});
    if (pixels == 0) return 0;
    const int height = static_cast<int>((pixels + width - 1) / width);
    const std::size_t area = static_cast<std::size_t>(width) * height;

    // Planes of the whole rectangle; the pixels past the input stay 0.
    std::vector<std::uint8_t> planes[3];
    for (std::size_t k = 0; k < per_pixel; ++k) {
        planes[k].assign(area, 0);
        for (std::size_t i = 0; i < pixels; ++i) planes[k][i] = in.data[i * per_pixel + k] & mask;
    }

    MemoryStream memory;
    try {
        GifWriter gif(memory.stream());
        std::uint8_t grey[256];
        for (int i = 0; i < 256; ++i) grey[i] = static_cast<std::uint8_t>(i);
        gif.gif_begin(width, height, grey, grey, grey);
        if (rgb) {
            auto r = row_table(planes[0], width, height);
            auto g = row_table(planes[1], width, height);
            auto b = row_table(planes[2], width, height);
            gif.gif_image_rgb(0, 0, width, height, r.data(), g.data(), b.data());
        } else {
            auto rows = row_table(planes[0], width, height);
            gif.gif_image_indexed(0, 0, width, height, nullptr, nullptr, nullptr, rows.data());
        }
        gif.gif_end();
    } catch (const FatalError&) {
        fuzz::broken("writing a GIF to memory failed");
    }

    test::DecodedGif decoded = test::decode_gif(memory.bytes());
    if (!decoded.ok) fuzz::broken("giflib cannot decode what we wrote");
    if (decoded.images.size() != 1) fuzz::broken("giflib finds another number of images");
    const test::DecodedImage& image = decoded.images[0];
    if (image.width != width || image.height != height || image.pixels.size() != area)
        fuzz::broken("giflib finds another image size");
    if (!rgb) {
        if (std::memcmp(image.pixels.data(), planes[0].data(), area) != 0) fuzz::broken("indices differ");
        return 0;
    }
    if (!image.local_table || image.local_table->size() != 256) fuzz::broken("colour frame without its table");
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < area; ++i) colours.insert(colour_key(planes[0][i], planes[1][i], planes[2][i]));
    // With at most 256 colours the table is exact, so every pixel must come back.
    if (colours.size() > 256) return 0;
    for (std::size_t i = 0; i < area; ++i) {
        const Rgb& c = (*image.local_table)[image.pixels[i]];
        if (c != Rgb{planes[0][i], planes[1][i], planes[2][i]}) fuzz::broken("colours differ");
    }
    return 0;
}
