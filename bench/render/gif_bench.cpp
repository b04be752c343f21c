// Times the GIF encoding of sequences of rendered 512 x 512 frames: a grey scene, a
// colour scene with flat face shades (few colours, exact tables) and a colour scene
// with depth shading (many colours, quantised tables). With giflib, the same index
// planes and tables are encoded by giflib in the same run.
//
// Run by hand: gif_bench [frames per sequence] [repeats]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "render/frame_buffer.h"
#include "render/frame_colours.h"
#include "render/frame_gif.h"
#include "render/gif_writer.h"
#include "render/raster.h"

#ifdef SLICEMESH_BENCH_GIFLIB
#include <gif_lib.h>
#endif

namespace slicemesh {
namespace {

constexpr int kSize = 512;
constexpr double kPi = 3.14159265358979323846;

using Clock = std::chrono::steady_clock;
double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Box {
    double x0, y0, z0, x1, y1, z1;
    Rgb colour;
};

enum class Shading { grey_depth, colour_flat, colour_depth, synthetic };

// One frame's planes, copied out of the frame buffer.
struct Frame {
    std::vector<std::uint8_t> planes[3];
    std::vector<const std::uint8_t*> rows[3];
    void take(const FrameBuffer& f) {
        std::uint8_t* const* src[3] = {f.red_rows(), f.green_rows(), f.blue_rows()};
        for (int k = 0; k < 3; ++k) {
            planes[k].resize(static_cast<std::size_t>(kSize) * kSize);
            rows[k].resize(kSize);
            for (int i = 0; i < kSize; ++i) {
                std::copy(src[k][i], src[k][i] + kSize, planes[k].data() + static_cast<std::size_t>(i) * kSize);
                rows[k][i] = planes[k].data() + static_cast<std::size_t>(i) * kSize;
            }
        }
    }
};

// Not a rendering: a drifting gradient in which nearly every pixel has a colour of its
// own, the worst case of the colour table.
std::vector<Frame> synthetic_sequence(int count) {
    std::vector<Frame> frames(count);
    FrameBuffer frame(kSize, false);
    for (int n = 0; n < count; ++n) {
        frame.fill(0, 0, 0);
        for (int i = 0; i < kSize; ++i) {
            for (int j = 0; j < kSize; ++j) {
                frame.red_rows()[i][j] = static_cast<std::uint8_t>(j / 2 + n);
                frame.green_rows()[i][j] = static_cast<std::uint8_t>(i / 2);
                frame.blue_rows()[i][j] = static_cast<std::uint8_t>((i * 7 + j * 3 + n * 5) & 255);
            }
        }
        frames[n].take(frame);
    }
    return frames;
}

// A turning scene of boxes, drawn the way the renderers draw voxel faces.
std::vector<Frame> render_sequence(Shading shading, int count, double& render_seconds) {
    if (shading == Shading::synthetic) {
        render_seconds = 0;
        return synthetic_sequence(count);
    }
    std::mt19937 rng(17);
    const double extent = 100;
    std::vector<Box> boxes;
    static const Rgb palette[6] = {{230, 60, 50}, {60, 200, 80}, {70, 90, 230}, {220, 200, 60}, {200, 200, 200},
                                   {160, 80, 200}};
    for (int k = 0; k < 40; ++k) {
        double x = rng() % 80, y = rng() % 80, z = rng() % 80;
        double w = 5 + rng() % 20, h = 5 + rng() % 20, d = 5 + rng() % 20;
        Rgb c = palette[k % 6];
        if (shading == Shading::grey_depth) c = {c.green, c.green, c.green};
        boxes.push_back({x, y, z, x + w, y + h, z + d, c});
    }
    bool grey = shading == Shading::grey_depth;
    FrameBuffer frame(kSize, grey);
    RenderView view;
    std::vector<Frame> frames(count);
    double u = kSize / std::sqrt(3 * extent * extent);
    double X = extent * u;
    auto start = Clock::now();
    for (int n = 0; n < count; ++n) {
        double t = (15.0 * n + 20) * kPi / 180, p = (25.0 + 2 * n) * kPi / 180;
        ViewExtent e = view_extent(t, p, 0, 0, 0, X, X, X);
        int width = static_cast<int>(std::ceil(e.width)), height = static_cast<int>(std::ceil(e.height));
        if (!view.render_setup(width, height, t, p, 0, 0, 0, X, X, X)) std::abort();
        frame.set_placement((kSize - width) / 2, (kSize + height) / 2 - 1);
        frame.fill(30, 30, 40);
        frame.set_shading(1.5, 60);
        auto put = [&](int c, int r) { frame.frame_put_colour(c, r); };
        const Point3 normals[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (const Box& b : boxes) {
            for (int axis = 0; axis < 3; ++axis) {
                const Point3& nv = normals[axis];
                double cosine = dot(nv, view_basis(t, p).ed);
                double f = (60 + std::pow(std::abs(cosine), 1 / 1.5) * 195) / 255;
                Rgb c = b.colour;
                if (shading == Shading::colour_flat)
                    c = {static_cast<std::uint8_t>(f * c.red + 0.5), static_cast<std::uint8_t>(f * c.green + 0.5),
                         static_cast<std::uint8_t>(f * c.blue + 0.5)};
                frame.set_colour(c.red, c.green, c.blue);
                double lo[3] = {b.x0 * u, b.y0 * u, b.z0 * u}, hi[3] = {b.x1 * u, b.y1 * u, b.z1 * u};
                double plane = cosine >= 0 ? hi[axis] : lo[axis];
                int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
                auto corner = [&](double s1, double s2) {
                    double q[3];
                    q[axis] = plane;
                    q[a1] = s1;
                    q[a2] = s2;
                    return Point3{q[0], q[1], q[2]};
                };
                Point3 p00 = corner(lo[a1], lo[a2]), p10 = corner(hi[a1], lo[a2]), p11 = corner(hi[a1], hi[a2]),
                       p01 = corner(lo[a1], hi[a2]);
                view.render_triangle(p00, p10, p11, put);
                view.render_triangle(p00, p11, p01, put);
            }
        }
        if (shading != Shading::colour_flat)
            view.shade_from_depth(t, p, [&](int c, int r, double s) { frame.frame_shade(c, r, s); });
        frame.set_colour(255, 255, 255);
        view.render_line({0, 0, 0}, {X, 0, 0}, put);
        view.render_line({0, 0, 0}, {0, X, 0}, put);
        view.render_line({0, 0, 0}, {0, 0, X}, put);
        view.render_release();
        frames[n].take(frame);
    }
    render_seconds = seconds_since(start);
    return frames;
}

// A stream that only counts what it is given, so no disk is timed.
long null_bytes = 0;
std::FILE* null_stream() {
    null_bytes = 0;
    cookie_io_functions_t io{};
    io.write = [](void*, const char*, std::size_t n) -> ssize_t {
        null_bytes += static_cast<long>(n);
        return static_cast<ssize_t>(n);
    };
    std::FILE* f = fopencookie(nullptr, "wb", io);
    if (f == nullptr) std::abort();
    return f;
}

long stream_bytes(std::FILE* f) {
    std::fflush(f);
    return null_bytes;
}

// Index planes and tables of the frames as our colour table gives them, for the
// indexed encodings of both encoders.
struct Indexed {
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t*> rows;
    std::uint8_t red[256], green[256], blue[256];
};

std::vector<Indexed> index_frames(const std::vector<Frame>& frames, bool grey, double& distinct) {
    std::vector<Indexed> out(frames.size());
    FrameColours colours;
    distinct = 0;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const Frame& f = frames[n];
        Indexed& x = out[n];
        x.pixels.resize(static_cast<std::size_t>(kSize) * kSize);
        for (int i = 0; i < kSize; ++i) x.rows.push_back(x.pixels.data() + static_cast<std::size_t>(i) * kSize);
        if (grey) {
            x.pixels = f.planes[0];
            std::copy(grey_ramp().begin(), grey_ramp().end(), x.red);
            std::copy(grey_ramp().begin(), grey_ramp().end(), x.green);
            std::copy(grey_ramp().begin(), grey_ramp().end(), x.blue);
            continue;
        }
        colours.frame_palette_build(kSize, kSize, f.rows[0].data(), f.rows[1].data(), f.rows[2].data());
        distinct += static_cast<double>(colours.distinct_colours());
        std::fill(std::begin(x.red), std::end(x.red), 0);
        std::fill(std::begin(x.green), std::end(x.green), 0);
        std::fill(std::begin(x.blue), std::end(x.blue), 0);
        std::size_t k = 0;
        for (const Rgb& c : colours.entries()) x.red[k] = c.red, x.green[k] = c.green, x.blue[k++] = c.blue;
        for (std::size_t i = 0; i < x.pixels.size(); ++i)
            x.pixels[i] = static_cast<std::uint8_t>(colours.frame_palette_index(f.planes[0][i], f.planes[1][i], f.planes[2][i]));
        colours.frame_palette_free();
    }
    distinct /= static_cast<double>(frames.size());
    return out;
}

#ifdef SLICEMESH_BENCH_GIFLIB
long giflib_bytes = 0;
int count_bytes(GifFileType*, const GifByteType*, int n) {
    giflib_bytes += n;
    return n;
}

// giflib encodes the same index planes with the same tables.
double giflib_encode(const std::vector<Indexed>& frames, bool grey) {
    int error = 0;
    giflib_bytes = 0;
    auto start = Clock::now();
    GifFileType* gif = EGifOpen(nullptr, count_bytes, &error);
    EGifSetGifVersion(gif, false);
    ColorMapObject* ramp = nullptr;
    if (grey) {
        ramp = GifMakeMapObject(256, nullptr);
        for (int i = 0; i < 256; ++i) ramp->Colors[i] = {frames[0].red[i], frames[0].green[i], frames[0].blue[i]};
    }
    EGifPutScreenDesc(gif, kSize, kSize, 8, 0, ramp);
    for (const Indexed& x : frames) {
        ColorMapObject* local = nullptr;
        if (!grey) {
            local = GifMakeMapObject(256, nullptr);
            for (int i = 0; i < 256; ++i) local->Colors[i] = {x.red[i], x.green[i], x.blue[i]};
        }
        EGifPutImageDesc(gif, 0, 0, kSize, kSize, false, local);
        for (int i = 0; i < kSize; ++i) EGifPutLine(gif, x.rows[i], kSize);
        if (local != nullptr) GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    if (ramp != nullptr) GifFreeMapObject(ramp);
    return seconds_since(start);
}
#endif

struct Result {
    double ours = 1e300, ours_indexed = 1e300, table = 1e300, giflib = 1e300;
    long bytes = 0, giflib_bytes = 0;
};

void run(const char* name, Shading shading, int count, int repeats) {
    double render_seconds = 0;
    std::vector<Frame> frames = render_sequence(shading, count, render_seconds);
    bool grey = shading == Shading::grey_depth;
    double distinct = 0;
    std::vector<Indexed> indexed = index_frames(frames, grey, distinct);
    Result best;
    for (int rep = 0; rep < repeats; ++rep) {
        {  // the programs' call: grey planes as indices, colour planes with their own tables
            std::FILE* f = null_stream();
            auto start = Clock::now();
            {
                GifWriter gif(f);
                const std::uint8_t* ramp = grey_ramp().data();
                gif.gif_begin(kSize, kSize, grey ? ramp : nullptr, grey ? ramp : nullptr, grey ? ramp : nullptr);
                for (const Frame& fr : frames) {
                    if (grey) gif.gif_image_indexed(0, 0, kSize, kSize, nullptr, nullptr, nullptr, fr.rows[0].data());
                    else gif.gif_image_rgb(0, 0, kSize, kSize, fr.rows[0].data(), fr.rows[1].data(), fr.rows[2].data());
                }
                gif.gif_end();
            }
            best.ours = std::min(best.ours, seconds_since(start));
            best.bytes = stream_bytes(f);
            std::fclose(f);
        }
        {  // LZW alone: the same index planes and tables as giflib gets
            std::FILE* f = null_stream();
            auto start = Clock::now();
            {
                GifWriter gif(f);
                gif.gif_begin(kSize, kSize, nullptr, nullptr, nullptr);
                for (const Indexed& x : indexed) gif.gif_image_indexed(0, 0, kSize, kSize, x.red, x.green, x.blue, x.rows.data());
                gif.gif_end();
            }
            best.ours_indexed = std::min(best.ours_indexed, seconds_since(start));
            std::fclose(f);
        }
        if (!grey) {  // the colour table alone
            FrameColours colours;
            auto start = Clock::now();
            for (const Frame& fr : frames) {
                colours.frame_palette_build(kSize, kSize, fr.rows[0].data(), fr.rows[1].data(), fr.rows[2].data());
                colours.frame_palette_free();
            }
            best.table = std::min(best.table, seconds_since(start));
        }
#ifdef SLICEMESH_BENCH_GIFLIB
        best.giflib = std::min(best.giflib, giflib_encode(indexed, grey));
        best.giflib_bytes = giflib_bytes;
#endif
    }
    auto per_frame = [&](double s) { return 1000 * s / count; };
    std::printf("| %-28s | %6.0f | %7.2f | %7.2f | %7.2f", name, grey ? 0.0 : distinct, per_frame(render_seconds),
                per_frame(best.ours), per_frame(best.ours_indexed));
    if (grey) std::printf(" |       - |      -");
    else std::printf(" | %7.2f | %5.1f%%", per_frame(best.table), 100 * best.table / best.ours);
#ifdef SLICEMESH_BENCH_GIFLIB
    std::printf(" | %7.2f | %5.2f | %5.2f | %8ld | %8ld |\n", per_frame(best.giflib), best.ours_indexed / best.giflib,
                best.ours / best.giflib, best.bytes / count, best.giflib_bytes / count);
#else
    std::printf(" | %8ld |\n", best.bytes / count);
#endif
}

}  // namespace
}  // namespace slicemesh

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 24;
    int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    if (count < 1 || repeats < 1) return 1;
    std::printf("%d frames of 512 x 512 per sequence, best of %d; times in ms per frame\n\n", count, repeats);
    std::printf("| sequence                     | colours | render | ours | ours LZW | table | table/ours");
#ifdef SLICEMESH_BENCH_GIFLIB
    std::printf(" | giflib | LZW ratio | full ratio | bytes ours | bytes giflib |\n");
#else
    std::printf(" | bytes |\n");
#endif
    slicemesh::run("grey, depth shading", slicemesh::Shading::grey_depth, count, repeats);
    slicemesh::run("colour, flat: few colours", slicemesh::Shading::colour_flat, count, repeats);
    slicemesh::run("colour, depth: many colours", slicemesh::Shading::colour_depth, count, repeats);
    slicemesh::run("synthetic: a colour per pixel", slicemesh::Shading::synthetic, count, repeats);
    return 0;
}
