#include "render/frame_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/frame_gif.h"
#include "render/raster.h"
#include "tests/render/gif_decode.h"

namespace slicemesh {
namespace {

std::vector<std::uint8_t> plane(const FrameBuffer& f, std::uint8_t* const* rows) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < f.size(); ++i) out.insert(out.end(), rows[i], rows[i] + f.size());
    return out;
}

TEST(FrameBuffer, PutColourLandsUpsideDownAtTheOffsets) {
    FrameBuffer f(6, false);
    f.fill(1, 2, 3);
    f.set_placement(2, 4);
    f.set_colour(200, 100, 50);
    f.frame_put_colour(1, 3);  // frame row 4 - 3 = 1, column 2 + 1 = 3
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            bool hit = i == 1 && j == 3;
            EXPECT_EQ(f.red_rows()[i][j], hit ? 200 : 1);
            EXPECT_EQ(f.green_rows()[i][j], hit ? 100 : 2);
            EXPECT_EQ(f.blue_rows()[i][j], hit ? 50 : 3);
        }
    }
}

TEST(FrameBuffer, PixelsOutsideTheFrameAreDropped) {
    // A raster one pixel wider and higher than the frame, placed as the programs place it.
    for (bool grey : {false, true}) {
        SCOPED_TRACE(grey ? "grey" : "colour");
        const int size = 8, width = size + 1, height = size + 1;
        FrameBuffer f(size, grey);
        f.fill(9, 9, 9);
        f.set_placement((size - width) / 2, (size + height) / 2 - 1);
        f.set_colour(7, 7, 7);
        f.set_shading(1.0, 0.0);
        int inside = 0;
        for (int r = -2; r <= height + 1; ++r) {
            for (int c = -2; c <= width + 1; ++c) {
                f.frame_put_colour(c, r);
                f.frame_shade(c, r, 0.5);
            }
        }
        for (auto rows : {f.red_rows(), f.green_rows(), f.blue_rows()})
            for (std::uint8_t v : plane(f, rows)) inside += v == 4;  // trunc(0.5 * 7 + 0.5)
        EXPECT_EQ(inside, 3 * size * size);
    }
}

TEST(FrameBuffer, ShadeScalesTowardsTheBias) {
    struct Case {
        const char* desc;
        double gamma, bias, s;
        std::uint8_t v, expected;
    };
    const std::vector<Case> cases = {
        {"shade 0, bias 0: black", 1.0, 0.0, 0.0, 200, 0},
        {"shade 0 keeps bias/255", 1.0, 51.0, 0.0, 200, 40},
        {"shade 1 keeps the colour", 2.2, 30.0, 1.0, 201, 201},
        {"bias 255 keeps the colour", 0.5, 255.0, 0.1, 99, 99},
        {"gamma 2 takes the square root", 2.0, 0.0, 0.25, 200, 100},
        {"half up", 1.0, 0.0, 0.5, 101, 51},
        {"rounding above 1 changes nothing", 1.0, 0.0, 1.0000000000000002, 255, 255},
        {"no NaN from a negative shade", 0.7, 0.0, -1e-17, 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        for (bool grey : {false, true}) {
            FrameBuffer f(2, grey);
            f.fill(c.v, c.v, c.v);
            f.set_placement(0, 1);
            f.set_shading(c.gamma, c.bias);
            f.frame_shade(1, 1, c.s);  // frame row 0, column 1
            EXPECT_EQ(f.red_rows()[0][1], c.expected);
            EXPECT_EQ(f.blue_rows()[0][1], c.expected);
            EXPECT_EQ(f.red_rows()[0][0], c.v);
        }
    }
    FrameBuffer f(1, false);
    f.fill(10, 100, 255);
    f.set_shading(1.0, 0.0);
    f.frame_shade(0, 0, 0.3);  // each plane on its own
    EXPECT_EQ(f.red_rows()[0][0], 3);
    EXPECT_EQ(f.green_rows()[0][0], 30);
    EXPECT_EQ(f.blue_rows()[0][0], 77);
}

// The same grey scene drawn, shaded and outlined in a grey and in a colour frame.
void draw_scene(FrameBuffer& f) {
    const double t = 0.6, p = 0.4, X = 30, Y = 20, Z = 25;
    ViewExtent e = view_extent(t, p, 0, 0, 0, X, Y, Z);
    int width = static_cast<int>(std::ceil(e.width)), height = static_cast<int>(std::ceil(e.height));
    RenderView view;
    ASSERT_TRUE(view.render_setup(width, height, t, p, 0, 0, 0, X, Y, Z));
    f.set_placement((f.size() - width) / 2, (f.size() + height) / 2 - 1);
    f.fill(20, 20, 20);
    f.set_shading(1.7, 40);
    auto put = [&](int c, int r) { f.frame_put_colour(c, r); };
    const Point3 faces[][3] = {{{0, 0, 0}, {X, 0, 0}, {X, Y, Z}}, {{0, 0, Z}, {X, Y, Z}, {0, Y, 0}},
                               {{X, 0, 0}, {X, Y, 0}, {X, Y, Z}}};
    std::uint8_t grey = 90;
    for (const auto& face : faces) {
        f.set_colour(grey, grey, grey);
        view.render_triangle(face[0], face[1], face[2], put);
        grey = static_cast<std::uint8_t>(grey + 70);
    }
    view.shade_from_depth(t, p, [&](int c, int r, double s) { f.frame_shade(c, r, s); });
    f.set_colour(255, 255, 255);
    view.render_line({0, 0, Z}, {X, Y, Z}, put);
    view.render_release();
}

TEST(FrameBuffer, GreyAndColourFramesAgreeOnAGreyScene) {
    FrameBuffer grey(48, true), colour(48, false);
    draw_scene(grey);
    draw_scene(colour);
    std::vector<std::uint8_t> g = plane(grey, grey.red_rows());
    EXPECT_EQ(plane(colour, colour.red_rows()), g);
    EXPECT_EQ(plane(colour, colour.green_rows()), g);
    EXPECT_EQ(plane(colour, colour.blue_rows()), g);
    int shaded = 0;
    for (std::uint8_t v : g) shaded += v != 20 && v != 90 && v != 160 && v != 230 && v != 255;
    EXPECT_GT(shaded, 100);  // the scene really was shaded
}

TEST(FrameBuffer, FramesReachTheGifStreamInTheirMode) {
    for (bool grey : {true, false}) {
        SCOPED_TRACE(grey ? "grey" : "colour");
        FrameBuffer frame(48, grey);
        draw_scene(frame);
        std::FILE* f = std::tmpfile();
        {
            GifWriter gif(f);
            gif_begin_frames(gif, frame);
            gif_image_frame(gif, frame);
            gif_image_frame(gif, frame);
            gif.gif_end();
        }
        std::string bytes;
        std::rewind(f);
        for (int c; (c = std::fgetc(f)) != EOF;) bytes += static_cast<char>(c);
        std::fclose(f);
        test::DecodedGif g = test::decode_gif(bytes);
        ASSERT_TRUE(g.ok) << g.error;
        EXPECT_EQ(g.width, 48);
        EXPECT_EQ(g.height, 48);
        EXPECT_EQ(g.global_table.has_value(), grey);
        ASSERT_EQ(g.images.size(), 2u);
        std::vector<std::uint8_t> expected = plane(frame, frame.red_rows());
        for (const auto& image : g.images) {
            EXPECT_EQ(image.local_table.has_value(), !grey);
            const std::vector<Rgb>& table = grey ? *g.global_table : *image.local_table;
            std::vector<std::uint8_t> shown;  // the scene is grey: red is every channel
            for (std::uint8_t index : image.pixels) {
                EXPECT_EQ(table[index].red, table[index].blue);
                shown.push_back(table[index].red);
            }
            EXPECT_EQ(shown, expected);
        }
    }
}

}  // namespace
}  // namespace slicemesh
