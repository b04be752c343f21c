#include "render/gif_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "render/frame_gif.h"
#include "tests/render/gif_decode.h"
#include "tests/render/rgb_planes.h"
#include "tests/support/fatal_text.h"

namespace slicemesh {
namespace {

using test::decode_gif;
using test::DecodedGif;
using test::fatal_text;
using test::RgbPlanes;

struct Outcome {
    std::string error;  // "<no error>" or the stderr text
    std::string bytes;  // everything that reached the stream
};

Outcome write_with(std::FILE* f, const std::function<void(GifWriter&)>& body) {
    Outcome o;
    o.error = fatal_text([&] {
        GifWriter writer(f);
        body(writer);
    });
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) o.bytes += static_cast<char>(c);
    return o;
}

Outcome write_stream(const std::function<void(GifWriter&)>& body) {
    std::FILE* f = std::tmpfile();
    Outcome o = write_with(f, body);
    std::fclose(f);
    return o;
}

// A plane of indices with its row table.
struct IndexPlane {
    IndexPlane(int width, int height, std::vector<std::uint8_t> bytes) : pixels(std::move(bytes)) {
        pixels.resize(static_cast<std::size_t>(width) * height);
        for (int i = 0; i < height; ++i) rows.push_back(pixels.data() + static_cast<std::size_t>(i) * width);
    }
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t*> rows;
};

std::vector<Rgb> table_rgb(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue) {
    std::vector<Rgb> t;
    for (int i = 0; i < 256; ++i) t.push_back({red[i], green[i], blue[i]});
    return t;
}

std::vector<std::uint8_t> noise(std::size_t n, unsigned seed, unsigned alphabet = 256) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>((rng() >> 8) % alphabet);
    return v;
}

// A de Bruijn sequence of order 2 over all bytes: no two neighbouring pairs repeat, so
// every pixel after the first is an LZW miss and assigns the next code.
std::vector<std::uint8_t> all_pairs_distinct() {
    std::vector<std::uint8_t> seq;
    std::array<int, 3> a{};
    std::function<void(int, int)> db = [&](int t, int p) {
        if (t > 2) {
            if (2 % p == 0)
                for (int j = 1; j <= p; ++j) seq.push_back(static_cast<std::uint8_t>(a[j]));
            return;
        }
        a[t] = a[t - p];
        db(t + 1, p);
        for (int j = a[t - p] + 1; j < 256; ++j) {
            a[t] = j;
            db(t + 1, t);
        }
    };
    db(1, 1);
    return seq;
}

// The image data (code size, sub-blocks, terminator) of pixels that all miss: written
// from the code sequence and widths a decoder expects, packed least significant bit first.
std::string all_miss_image_data(const std::vector<std::uint8_t>& p) {
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    int width = 9, next = 258;
    for (std::size_t k = 1; k < p.size(); ++k) {
        codes.push_back({p[k - 1], width});
        if (next == 4096) {  // table full: clear in the current width
            codes.push_back({256, width});
            width = 9;
            next = 258;
        } else {
            if (next == (1 << width)) ++width;
            ++next;
        }
    }
    int end_width = width;
    if (!p.empty()) {
        codes.push_back({p.back(), width});
        if (next == (1 << width) && width < 12) end_width = width + 1;
    }
    codes.push_back({257, end_width});
    std::string data;
    std::uint64_t bits = 0;
    int count = 0;
    for (auto [code, w] : codes) {
        bits |= static_cast<std::uint64_t>(code) << count;
        count += w;
        for (; count >= 8; count -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
    }
    if (count > 0) data += static_cast<char>(bits & 0xFF);
    std::string out = "\x08";
    for (std::size_t i = 0; i < data.size(); i += 255) {
        std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out += static_cast<char>(n);
        out += data.substr(i, n);
    }
    return out + '\0';
}

// The sizes of the data sub-blocks of image data starting at its code size byte.
std::vector<int> sub_block_sizes(const std::string& bytes, std::size_t at) {
    std::vector<int> sizes;
    ++at;  // code size
    while (at < bytes.size()) {
        int n = static_cast<unsigned char>(bytes[at]);
        if (n == 0) return sizes;
        sizes.push_back(n);
        at += static_cast<std::size_t>(n) + 1;
    }
    sizes.push_back(-1);  // no terminator
    return sizes;
}

constexpr std::size_t kScreenOnly = 13;             // signature, screen descriptor, no table
constexpr std::size_t kFirstImageData = 13 + 10;    // ... then one image descriptor without a table

TEST(GifWriter, OnePixelImageIsTheKnownStream) {
    IndexPlane plane(1, 1, {0});
    Outcome o = write_stream([&](GifWriter& w) {
        w.gif_begin(1, 1, nullptr, nullptr, nullptr);
        w.gif_image_indexed(0, 0, 1, 1, nullptr, nullptr, nullptr, plane.rows.data());
        w.gif_end();
    });
    ASSERT_EQ(o.error, "<no error>");
    // Clear code, pixel 0 and end code, each in 9 bits.
    const std::string expected("GIF87a\x01\x00\x01\x00\x77\x00\x00"
                               "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x07"
                               "\x08\x04\x00\x01\x04\x04\x00;",
                               31);
    EXPECT_EQ(o.bytes, expected);
    EXPECT_TRUE(decode_gif(o.bytes).ok);
}

TEST(GifWriter, GreyStreamDecodesFrameByFrame) {
    const auto& grey = grey_ramp();
    std::array<std::uint8_t, 256> reversed{};
    for (int i = 0; i < 256; ++i) reversed[i] = static_cast<std::uint8_t>(255 - i);
    struct Frame {
        int left, top, width, height;
        bool local;
        std::vector<std::uint8_t> pixels;
    };
    std::vector<Frame> frames = {
        {0, 0, 40, 30, false, noise(1200, 1)},
        {5, 7, 10, 3, false, noise(30, 2, 3)},
        {0, 0, 40, 30, true, std::vector<std::uint8_t>(1200, 200)},
        {39, 29, 1, 1, false, {255}},
    };
    std::vector<IndexPlane> planes;
    for (const Frame& f : frames) planes.emplace_back(f.width, f.height, f.pixels);
    Outcome o = write_stream([&](GifWriter& w) {
        w.gif_begin(40, 30, grey.data(), grey.data(), grey.data());
        for (std::size_t k = 0; k < frames.size(); ++k) {
            const Frame& f = frames[k];
            const std::uint8_t* t = f.local ? reversed.data() : nullptr;
            w.gif_image_indexed(f.left, f.top, f.width, f.height, t, t, t, planes[k].rows.data());
        }
        w.gif_end();
    });
    ASSERT_EQ(o.error, "<no error>");
    EXPECT_EQ(o.bytes.substr(0, 6), "GIF87a");
    DecodedGif g = decode_gif(o.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(g.width, 40);
    EXPECT_EQ(g.height, 30);
    EXPECT_EQ(g.background, 0);
    EXPECT_EQ(g.aspect, 0);
    EXPECT_EQ(g.extension_blocks, 0);
    ASSERT_TRUE(g.global_table.has_value());
    EXPECT_EQ(*g.global_table, table_rgb(grey.data(), grey.data(), grey.data()));
    ASSERT_EQ(g.images.size(), frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        SCOPED_TRACE(k);
        const auto& image = g.images[k];
        EXPECT_EQ(image.left, frames[k].left);
        EXPECT_EQ(image.top, frames[k].top);
        EXPECT_EQ(image.width, frames[k].width);
        EXPECT_EQ(image.height, frames[k].height);
        EXPECT_FALSE(image.interlaced);
        EXPECT_EQ(image.local_table.has_value(), frames[k].local);
        if (frames[k].local) {
            EXPECT_EQ(*image.local_table, table_rgb(reversed.data(), reversed.data(), reversed.data()));
        }
        EXPECT_EQ(image.pixels, frames[k].pixels);
    }
}

TEST(GifWriter, ColourFramesCarryTheirOwnTables) {
    struct Case {
        const char* desc;
        int width, height;
        std::function<Rgb(int, int)> pixel;
    };
    std::mt19937 rng(5);
    const std::vector<Case> cases = {
        {"single colour", 7, 5, [](int, int) { return Rgb{10, 200, 30}; }},
        {"few colours", 50, 40,
         [](int x, int y) {
             return Rgb{static_cast<std::uint8_t>(x / 10 * 50), static_cast<std::uint8_t>(y / 10 * 60), 77};
         }},
        {"many colours, quantised", 64, 64,
         [&](int x, int y) {
             return Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                        static_cast<std::uint8_t>(rng() >> 24)};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        RgbPlanes f(c.width, c.height);
        for (int i = 0; i < c.height; ++i)
            for (int j = 0; j < c.width; ++j) f.set(j, i, c.pixel(j, i));
        Outcome o = write_stream([&](GifWriter& w) {
            w.gif_begin(c.width, c.height, nullptr, nullptr, nullptr);
            w.gif_image_rgb(0, 0, c.width, c.height, f.red(), f.green(), f.blue());
            w.gif_image_rgb(0, 0, c.width, c.height, f.red(), f.green(), f.blue());  // tables are per image
            w.gif_end();
        });
        ASSERT_EQ(o.error, "<no error>");
        DecodedGif g = decode_gif(o.bytes);
        ASSERT_TRUE(g.ok) << g.error;
        EXPECT_FALSE(g.global_table.has_value());
        ASSERT_EQ(g.images.size(), 2u);

        FrameColours expected;
        expected.frame_palette_build(c.width, c.height, f.red(), f.green(), f.blue());
        std::vector<Rgb> table(expected.entries().begin(), expected.entries().end());
        bool exact = expected.distinct_colours() <= 256;
        table.resize(256, Rgb{0, 0, 0});
        for (const auto& image : g.images) {
            ASSERT_TRUE(image.local_table.has_value());
            EXPECT_EQ(*image.local_table, table);
            int wrong = 0;
            for (int i = 0; i < c.height; ++i) {
                for (int j = 0; j < c.width; ++j) {
                    Rgb p = f.at(j, i);
                    int index = image.pixels[static_cast<std::size_t>(i) * c.width + j];
                    wrong += index != expected.frame_palette_index(p.red, p.green, p.blue);
                    if (exact) wrong += table[index] != p;
                }
            }
            EXPECT_EQ(wrong, 0);
        }
        if (expected.distinct_colours() == 1) {
            EXPECT_EQ(table[0], (Rgb{10, 200, 30}));
        }
    }
}

TEST(GifWriter, CodeStreamsOfMissesFollowTheWidthRules) {
    const std::vector<std::uint8_t> source = all_pairs_distinct();
    ASSERT_EQ(source.size(), 65536u);
    struct Case {
        const char* desc;
        std::size_t pixels;
    };
    const std::vector<Case> cases = {
        {"one pixel", 1},
        {"two pixels", 2},
        {"ends before code 511", 254},
        {"ends when code 511 was assigned: end code in 10 bits", 255},
        {"first code of 10 bits", 256},
        {"ends when code 2047 was assigned: end code in 12 bits", 1791},
        {"ends right after code 4095: end code in 12 bits", 3839},
        {"next miss after 4095: prefix and clear in 12 bits, then width 9", 3840},
        {"just after the clear", 3841},
        {"after two clears, ends at a width limit where the wider end code needs one more byte", 8445},
        {"three clears", 12000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::vector<std::uint8_t> pixels(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(c.pixels));
        int width = static_cast<int>(c.pixels);
        IndexPlane plane(width, 1, pixels);
        Outcome o = write_stream([&](GifWriter& w) {
            w.gif_begin(width, 1, nullptr, nullptr, nullptr);
            w.gif_image_indexed(0, 0, width, 1, nullptr, nullptr, nullptr, plane.rows.data());
            w.gif_end();
        });
        ASSERT_EQ(o.error, "<no error>");
        ASSERT_GT(o.bytes.size(), kFirstImageData + 1);
        EXPECT_EQ(o.bytes.substr(kFirstImageData, o.bytes.size() - kFirstImageData - 1), all_miss_image_data(pixels));
        DecodedGif g = decode_gif(o.bytes);
        ASSERT_TRUE(g.ok) << g.error;
        ASSERT_EQ(g.images.size(), 1u);
        EXPECT_EQ(g.images[0].pixels, pixels);
    }
}

TEST(GifWriter, LongImagesFillTheTableAndDecode) {
    struct Case {
        const char* desc;
        int width, height;
        std::vector<std::uint8_t> pixels;
    };
    std::vector<std::uint8_t> ramps(300 * 200);
    for (std::size_t i = 0; i < ramps.size(); ++i) ramps[i] = static_cast<std::uint8_t>(i % 300 / 3 + i / 6000);
    const std::vector<Case> cases = {
        {"byte noise: a clear every 3838 pixels", 300, 200, noise(60000, 11)},
        {"four symbols: long strings and probe chains", 400, 300, noise(120000, 12, 4)},
        {"ramps: repeated runs", 300, 200, ramps},
        {"one value: strings grow by one pixel", 500, 100, std::vector<std::uint8_t>(50000, 9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        IndexPlane plane(c.width, c.height, c.pixels);
        Outcome o = write_stream([&](GifWriter& w) {
            w.gif_begin(c.width, c.height, nullptr, nullptr, nullptr);
            w.gif_image_indexed(0, 0, c.width, c.height, nullptr, nullptr, nullptr, plane.rows.data());
            w.gif_end();
        });
        ASSERT_EQ(o.error, "<no error>");
        std::vector<int> sizes = sub_block_sizes(o.bytes, kFirstImageData);
        ASSERT_FALSE(sizes.empty());
        EXPECT_NE(sizes.back(), -1);
        for (std::size_t k = 0; k + 1 < sizes.size(); ++k) ASSERT_EQ(sizes[k], 255) << "block " << k;
        DecodedGif g = decode_gif(o.bytes);
        ASSERT_TRUE(g.ok) << g.error;
        ASSERT_EQ(g.images.size(), 1u);
        EXPECT_EQ(g.images[0].pixels, c.pixels);
    }
}

TEST(GifWriter, SubBlocksAreFullButTheLast) {
    const std::vector<std::uint8_t> source = all_pairs_distinct();
    bool saw_exactly_one_full = false, saw_full_plus_one = false;
    for (int n = 1; n <= 700; ++n) {
        SCOPED_TRACE(n);
        IndexPlane plane(n, 1, std::vector<std::uint8_t>(source.begin(), source.begin() + n));
        Outcome o = write_stream([&](GifWriter& w) {
            w.gif_begin(n, 1, nullptr, nullptr, nullptr);
            w.gif_image_indexed(0, 0, n, 1, nullptr, nullptr, nullptr, plane.rows.data());
            w.gif_end();
        });
        std::vector<int> sizes = sub_block_sizes(o.bytes, kFirstImageData);
        ASSERT_FALSE(sizes.empty());
        ASSERT_GE(sizes.back(), 1);
        ASSERT_LE(sizes.back(), 255);
        for (std::size_t k = 0; k + 1 < sizes.size(); ++k) ASSERT_EQ(sizes[k], 255);
        saw_exactly_one_full |= sizes == std::vector<int>{255};
        saw_full_plus_one |= sizes == std::vector<int>{255, 1};
        DecodedGif g = decode_gif(o.bytes);
        ASSERT_TRUE(g.ok) << g.error;
        ASSERT_EQ(g.images.size(), 1u);
        ASSERT_EQ(g.images[0].pixels, plane.pixels);
    }
    EXPECT_TRUE(saw_exactly_one_full);
    EXPECT_TRUE(saw_full_plus_one);
}

TEST(GifWriter, FieldsOutsideSixteenBitsFailAfterTheLowByte) {
    IndexPlane wide(65535, 1, std::vector<std::uint8_t>(65535, 1));
    IndexPlane tall(1, 65535, std::vector<std::uint8_t>(65535, 2));
    auto image = [&](int left, int top, int width, int height, const IndexPlane& plane) {
        return [=, &plane](GifWriter& w) {
            w.gif_begin(1, 1, nullptr, nullptr, nullptr);
            w.gif_image_indexed(left, top, width, height, nullptr, nullptr, nullptr, plane.rows.data());
            w.gif_end();
        };
    };
    const std::string header("GIF87a\x01\x00\x01\x00\x77\x00\x00", kScreenOnly);
    struct Case {
        const char* desc;
        std::function<void(GifWriter&)> body;
        std::string error;
        std::string bytes;  // the whole stream on failure, its first bytes on success
    };
    const std::vector<Case> cases = {
        {"screen of 65535 accepted", [](GifWriter& w) { w.gif_begin(65535, 65535, nullptr, nullptr, nullptr); },
         "<no error>", std::string("GIF87a\xFF\xFF\xFF\xFF\x77\x00\x00", 13)},
        {"screen width 65536", [](GifWriter& w) { w.gif_begin(65536, 1, nullptr, nullptr, nullptr); },
         "byte write error.\n", std::string("GIF87a\x00", 7)},
        {"screen height -1", [](GifWriter& w) { w.gif_begin(1, -1, nullptr, nullptr, nullptr); },
         "byte write error.\n", std::string("GIF87a\x01\x00\xFF", 9)},
        {"image 65535 wide accepted", image(0, 0, 65535, 1, wide), "<no error>", header + "\x2C"},
        {"image 65535 high accepted", image(0, 0, 1, 65535, tall), "<no error>", header + "\x2C"},
        {"image height 65536", image(0, 0, 1, 65536, tall), "byte write error.\n",
         header + std::string("\x2C\x00\x00\x00\x00\x01\x00\x00", 8)},
        {"image left 65536", image(65536, 0, 1, 1, tall), "byte write error.\n", header + std::string("\x2C\x00", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        Outcome o = write_stream(c.body);
        EXPECT_EQ(o.error, c.error);
        if (c.error == "<no error>") {
            EXPECT_EQ(o.bytes.substr(0, c.bytes.size()), c.bytes);
            if (o.bytes.back() == ';') {
                DecodedGif g = decode_gif(o.bytes);
                ASSERT_TRUE(g.ok) << g.error;
                ASSERT_EQ(g.images.size(), 1u);
                EXPECT_EQ(g.images[0].pixels.size(), 65535u);
            }
        } else {
            EXPECT_EQ(o.bytes, c.bytes);
        }
    }
}

// A stream that takes `budget` bytes and then refuses every write.
std::FILE* stream_with_budget(long& budget) {
    cookie_io_functions_t io{};
    io.write = [](void* cookie, const char*, std::size_t n) -> ssize_t {
        long& left = *static_cast<long*>(cookie);
        if (static_cast<long>(n) > left) return -1;
        left -= static_cast<long>(n);
        return static_cast<ssize_t>(n);
    };
    return fopencookie(&budget, "wb", io);
}

TEST(GifWriter, FailingStreamNamesTheFirstWriteItRefused) {
    IndexPlane pixel(1, 1, {0});
    IndexPlane big(300, 300, noise(90000, 21));  // about 100 KB of image data
    auto header_then = [](auto image) {
        return [image](GifWriter& w) {
            w.gif_begin(300, 300, nullptr, nullptr, nullptr);
            image(w);
            w.gif_end();
        };
    };
    struct Case {
        const char* desc;
        long budget;
        std::function<void(GifWriter&)> body;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"nothing taken: the signature", 0, header_then([](GifWriter&) {}), "bytes write error.\n"},
        {"the screen taken: an image separator", 13,
         header_then([&](GifWriter& w) { w.gif_image_indexed(0, 0, 1, 1, nullptr, nullptr, nullptr, pixel.rows.data()); }),
         "byte write error.\n"},
        {"the first buffer of a long image taken: a data sub-block", 13 + 65536,
         header_then([&](GifWriter& w) { w.gif_image_indexed(0, 0, 300, 300, nullptr, nullptr, nullptr, big.rows.data()); }),
         "bytes write error.\n"},
        {"all but the trailer taken: the trailer is not checked", 13 + 10 + 7,
         header_then([&](GifWriter& w) { w.gif_image_indexed(0, 0, 1, 1, nullptr, nullptr, nullptr, pixel.rows.data()); }),
         "<no error>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        long budget = c.budget;
        std::FILE* f = stream_with_budget(budget);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(write_with(f, c.body).error, c.error);
        std::fclose(f);
    }
    std::FILE* f = std::fopen("/dev/full", "wb");
    if (f == nullptr) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(write_with(f, header_then([](GifWriter&) {})).error, "bytes write error.\n");
    std::fclose(f);
}

}  // namespace
}  // namespace slicemesh
