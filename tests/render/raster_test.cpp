#include "render/raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace slicemesh {
namespace {

// At t = p = 0 a world point (d, c, r) in the box (0, 0, 0)-(65535, W - 1, H - 1) projects
// exactly to column c, row r and depth d, so scenes can be given in raster terms.
struct RasterPoint {
    int c, r, d;
};

Point3 world(RasterPoint v) { return {static_cast<double>(v.d), static_cast<double>(v.c), static_cast<double>(v.r)}; }

bool setup_axis_view(RenderView& view, int width, int height) {
    return view.render_setup(width, height, 0.0, 0.0, 0, 0, 0, 65535, width - 1, height - 1);
}

struct Primitive {
    bool line;
    RasterPoint v[3];
};

Primitive tri(RasterPoint a, RasterPoint b, RasterPoint c) { return {false, {a, b, c}}; }
Primitive seg(RasterPoint a, RasterPoint b) { return {true, {a, b, {0, 0, 0}}}; }

// What the brute-force reference knows about one pixel. A candidate depth that is an exact
// integer k before truncation may come out of the incremental double sums as k or k - 1,
// so the stored depth is known as a range, and the owner only while no such candidate
// could have decided it.
struct RefPixel {
    int low = 0, high = 0;  // the stored depth lies in low..high
    int owner = -1;         // primitive that last won the pixel
    bool owner_known = true;
};

struct Candidate {
    int c, r;
    std::int64_t num, den;  // depth before truncation = num / den, den > 0
};

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Triangle: every pixel of the raster whose three edge functions are >= 0 after the
// winding is normalised; depth from the exact plane through the vertices.
std::vector<Candidate> triangle_pixels(const Primitive& p, int width, int height) {
    std::int64_t c0 = p.v[0].c, r0 = p.v[0].r, d0 = p.v[0].d;
    std::int64_t c1 = p.v[1].c, r1 = p.v[1].r, d1 = p.v[1].d;
    std::int64_t c2 = p.v[2].c, r2 = p.v[2].r, d2 = p.v[2].d;
    std::int64_t s = (c1 - c0) * (r2 - r0) - (c2 - c0) * (r1 - r0);
    std::vector<Candidate> out;
    if (s == 0) return out;
    std::int64_t sign = s > 0 ? 1 : -1;
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            // Twice the signed areas of the sub-triangles opposite each vertex.
            std::int64_t w0 = (c1 - c) * (r2 - r) - (c2 - c) * (r1 - r);
            std::int64_t w1 = (c2 - c) * (r0 - r) - (c0 - c) * (r2 - r);
            std::int64_t w2 = (c0 - c) * (r1 - r) - (c1 - c) * (r0 - r);
            if (w0 * sign < 0 || w1 * sign < 0 || w2 * sign < 0) continue;
            // depth = (w0 d0 + w1 d1 + w2 d2) / s + 0.5
            std::int64_t num = 2 * (w0 * d0 + w1 * d1 + w2 * d2) + s, den = 2 * s;
            if (den < 0) num = -num, den = -den;
            out.push_back({c, r, num, den});
        }
    }
    return out;
}

// Segment: along the longer axis (rows on a tie) every step, the other coordinate the
// nearest to the ideal line with halves rounded away from the start.
std::vector<Candidate> segment_pixels(const Primitive& p) {
    RasterPoint a = p.v[0], b = p.v[1];
    if (a.c == b.c && a.r == b.r) return {{a.c, a.r, std::max(a.d, b.d), 1}};
    int dc = std::abs(b.c - a.c), dr = std::abs(b.r - a.r);
    int sc = b.c >= a.c ? 1 : -1, sr = b.r >= a.r ? 1 : -1;
    bool column_major = dc > dr;
    std::int64_t major = column_major ? dc : dr, minor = column_major ? dr : dc;
    std::vector<Candidate> out;
    for (std::int64_t k = 0; k <= major; ++k) {
        int step = static_cast<int>(floor_div(2 * minor * k + major, 2 * major));
        int c = column_major ? a.c + sc * static_cast<int>(k) : a.c + sc * step;
        int r = column_major ? a.r + sr * step : a.r + sr * static_cast<int>(k);
        out.push_back({c, r, 2 * a.d * major + major + 2 * (b.d - a.d) * k, 2 * major});
    }
    return out;
}

std::vector<RefPixel> reference_render(const std::vector<Primitive>& scene, int width, int height) {
    std::vector<RefPixel> ref(static_cast<std::size_t>(width) * height);
    for (std::size_t id = 0; id < scene.size(); ++id) {
        const Primitive& p = scene[id];
        for (const Candidate& k : p.line ? segment_pixels(p) : triangle_pixels(p, width, height)) {
            RefPixel& px = ref[static_cast<std::size_t>(k.r) * width + k.c];
            int high = static_cast<int>(floor_div(k.num, k.den));
            int low = (k.num % k.den == 0 && k.den != 1) ? high - 1 : high;
            if (low > px.high) {  // wins whatever the rounding
                px = {low, high, static_cast<int>(id), true};
            } else if (high > px.low) {  // may win
                px.low = std::max(px.low, low);
                px.high = std::max(px.high, high);
                px.owner_known = false;
            }
        }
    }
    return ref;
}

struct Drawn {
    std::vector<int> depth, owner;
    int calls = 0;
    bool outside = false;  // a callback outside the raster
};

Drawn render(const std::vector<Primitive>& scene, int width, int height) {
    RenderView view;
    Drawn out;
    EXPECT_TRUE(setup_axis_view(view, width, height));
    out.owner.assign(static_cast<std::size_t>(width) * height, -1);
    int id = 0;
    auto pixel = [&](int c, int r) {
        ++out.calls;
        if (c < 0 || c >= width || r < 0 || r >= height) {
            out.outside = true;
            return;
        }
        out.owner[static_cast<std::size_t>(r) * width + c] = id;
    };
    for (const Primitive& p : scene) {
        if (p.line) view.render_line(world(p.v[0]), world(p.v[1]), pixel);
        else view.render_triangle(world(p.v[0]), world(p.v[1]), world(p.v[2]), pixel);
        ++id;
    }
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) out.depth.push_back(view.depth(c, r));
    view.render_release();
    return out;
}

void expect_matches_reference(const std::vector<Primitive>& scene, int width, int height) {
    std::vector<RefPixel> ref = reference_render(scene, width, height);
    Drawn got = render(scene, width, height);
    EXPECT_FALSE(got.outside);
    int wrong = 0, unsure = 0, covered = 0;
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            std::size_t i = static_cast<std::size_t>(r) * width + c;
            const RefPixel& px = ref[i];
            covered += px.high > 0;
            unsure += px.low != px.high || !px.owner_known;
            bool ok = got.depth[i] >= px.low && got.depth[i] <= px.high && (!px.owner_known || got.owner[i] == px.owner);
            if (!ok && ++wrong <= 5) {
                ADD_FAILURE() << "pixel " << c << "," << r << ": depth " << got.depth[i] << " owner " << got.owner[i]
                              << ", expected " << px.low << ".." << px.high << " owner " << px.owner;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(unsure * 10, covered + 10) << "too few pixels are checked exactly";
}

std::vector<Primitive> random_scene(unsigned seed, int width, int height, int count, int max_depth, bool flat = false) {
    std::mt19937 rng(seed);
    int depth = 0;
    auto point = [&] {
        return RasterPoint{static_cast<int>(rng() % width), static_cast<int>(rng() % height),
                           flat ? depth : static_cast<int>(rng() % (max_depth + 1))};
    };
    std::vector<Primitive> scene;
    for (int k = 0; k < count; ++k) {
        depth = 1 + static_cast<int>(rng() % max_depth);
        if (rng() % 4 == 0) scene.push_back(seg(point(), point()));
        else scene.push_back(tri(point(), point(), point()));
    }
    return scene;
}

TEST(RenderView, AgreesWithBruteForceReference) {
    struct Case {
        const char* desc;
        int width, height;
        std::vector<Primitive> scene;
    };
    const std::vector<Case> cases = {
        {"positive winding", 12, 9, {tri({1, 1, 100}, {10, 2, 300}, {4, 8, 200})}},
        {"negative winding", 12, 9, {tri({1, 1, 100}, {4, 8, 200}, {10, 2, 300})}},
        {"wide: column spans", 30, 8, {tri({0, 0, 5000}, {29, 3, 100}, {7, 7, 60000})}},
        {"tall: row spans", 8, 30, {tri({0, 0, 5000}, {3, 29, 100}, {7, 7, 60000})}},
        {"square bounding box: row spans", 10, 10, {tri({0, 0, 9}, {9, 0, 9}, {0, 9, 9})}},
        {"sliver", 40, 6, {tri({0, 0, 1000}, {39, 1, 2000}, {20, 1, 3000})}},
        {"shared edge: the first drawn keeps equal depths", 10, 10,
         {tri({0, 0, 500}, {9, 0, 500}, {0, 9, 500}), tri({9, 0, 500}, {9, 9, 500}, {0, 9, 500})}},
        {"nearer triangle drawn later wins", 10, 10,
         {tri({0, 0, 500}, {9, 0, 500}, {0, 9, 500}), tri({0, 0, 501}, {9, 0, 501}, {9, 9, 501})}},
        {"depth 0 is never drawn", 10, 10, {tri({0, 0, 0}, {9, 0, 0}, {0, 9, 0}), seg({0, 5, 0}, {9, 5, 0})}},
        {"sloping to depth 0", 10, 10, {tri({0, 0, 0}, {9, 0, 0}, {0, 9, 40})}},
        {"lines in every octant", 16, 16,
         {seg({2, 3, 10}, {14, 7, 400}), seg({14, 7, 10}, {2, 3, 400}), seg({3, 1, 10}, {6, 15, 900}),
          seg({6, 15, 10}, {3, 1, 900}), seg({0, 10, 77}, {15, 10, 77}), seg({8, 0, 77}, {8, 15, 3}),
          seg({0, 0, 1}, {15, 15, 9}), seg({15, 0, 1}, {0, 15, 9}), seg({5, 5, 300}, {5, 5, 200})}},
        {"random triangles and lines", 24, 17, random_scene(1, 24, 17, 60, 65535)},
        {"random, few depths: many ties", 20, 20, random_scene(2, 20, 20, 60, 3, true)},
        {"large raster: depth-plane numerators beyond 32 bits", 300, 200,
         {tri({0, 0, 65535}, {299, 10, 1}, {150, 199, 30000}), tri({299, 199, 65535}, {0, 150, 2}, {280, 0, 40000}),
          seg({0, 199, 65535}, {299, 0, 1})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        expect_matches_reference(c.scene, c.width, c.height);
    }
}

TEST(RenderView, WindingDoesNotChangeTheFill) {
    std::mt19937 rng(9);
    for (int k = 0; k < 40; ++k) {
        RasterPoint a{static_cast<int>(rng() % 20), static_cast<int>(rng() % 15), static_cast<int>(rng() % 65536)};
        RasterPoint b{static_cast<int>(rng() % 20), static_cast<int>(rng() % 15), static_cast<int>(rng() % 65536)};
        RasterPoint c{static_cast<int>(rng() % 20), static_cast<int>(rng() % 15), static_cast<int>(rng() % 65536)};
        Drawn forward = render({tri(a, b, c)}, 20, 15), backward = render({tri(a, c, b)}, 20, 15);
        EXPECT_EQ(forward.depth, backward.depth) << k;
    }
}

TEST(RenderView, DegenerateAndSmallCases) {
    {
        SCOPED_TRACE("zero raster area leaves everything unchanged");
        Drawn d = render({tri({1, 1, 50}, {4, 4, 60}, {7, 7, 70}), tri({3, 3, 9}, {3, 3, 9}, {3, 3, 9})}, 9, 9);
        EXPECT_EQ(d.calls, 0);
        EXPECT_EQ(d.depth, std::vector<int>(81, 0));
    }
    {
        SCOPED_TRACE("a horizontal segment of k columns draws k pixels, both ends included");
        Drawn d = render({seg({2, 4, 100}, {8, 4, 100})}, 10, 10);
        EXPECT_EQ(d.calls, 7);
        EXPECT_EQ(d.owner[4 * 10 + 2], 0);
        EXPECT_EQ(d.owner[4 * 10 + 8], 0);
    }
    {
        SCOPED_TRACE("ends on one pixel: plotted once with the larger depth");
        Drawn d = render({seg({3, 3, 20}, {3, 3, 70})}, 5, 5);
        EXPECT_EQ(d.calls, 1);
        EXPECT_EQ(d.depth[3 * 5 + 3], 70);
    }
}

TEST(RenderView, ProjectsTheBoxOntoTheRaster) {
    const double t = 0.7, p = 0.3, X = 10, Y = 20, Z = 5;
    ViewExtent extent = view_extent(t, p, 0, 0, 0, X, Y, Z);
    // The analytic extents of a box seen from (t, p).
    EXPECT_NEAR(extent.width, X * std::sin(t) + Y * std::cos(t), 1e-12);
    EXPECT_NEAR(extent.height, (X * std::cos(t) + Y * std::sin(t)) * std::sin(p) + Z * std::cos(p), 1e-12);
    int width = static_cast<int>(std::ceil(extent.width)), height = static_cast<int>(std::ceil(extent.height));
    RenderView view;
    ASSERT_TRUE(view.render_setup(width, height, t, p, 0, 0, 0, X, Y, Z));

    const ViewBasis b = view_basis(t, p);
    double min_c = std::min({0.0, X * b.ex.x, Y * b.ex.y, X * b.ex.x + Y * b.ex.y});
    double max_c = std::max({0.0, X * b.ex.x, Y * b.ex.y, X * b.ex.x + Y * b.ex.y});
    double min_r = 1e300, max_r = -1e300, min_d = 1e300, max_d = -1e300;
    for (double x : {0.0, X})
        for (double y : {0.0, Y})
            for (double z : {0.0, Z}) {
                Point3 q{x, y, z};
                min_r = std::min(min_r, dot(q, b.ey)), max_r = std::max(max_r, dot(q, b.ey));
                min_d = std::min(min_d, dot(q, b.ed)), max_d = std::max(max_d, dot(q, b.ed));
            }
    std::mt19937 rng(4);
    int nearest = 0, drawn = 0;
    for (int k = 0; k < 200; ++k) {
        Point3 q{X * (rng() % 1001) / 1000, Y * (rng() % 1001) / 1000, Z * (rng() % 1001) / 1000};
        if (k < 8) q = {(k & 1) ? X : 0, (k & 2) ? Y : 0, (k & 4) ? Z : 0};
        int c = static_cast<int>((dot(q, b.ex) - min_c) * ((width - 1) / (max_c - min_c)) + 0.5);
        int r = static_cast<int>((dot(q, b.ey) - min_r) * ((height - 1) / (max_r - min_r)) + 0.5);
        int d = static_cast<int>((dot(q, b.ed) - min_d) * (65535 / (max_d - min_d)) + 0.5);
        ASSERT_GE(c, 0);
        ASSERT_LT(c, width);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, height);
        int seen_c = -1, seen_r = -1;
        int before = view.depth(c, r);
        view.render_line(q, q, [&](int pc, int pr) { seen_c = pc, seen_r = pr; });
        if (d > before) {
            ++drawn;
            EXPECT_EQ(seen_c, c);
            EXPECT_EQ(seen_r, r);
            EXPECT_EQ(view.depth(c, r), d);
        } else {
            EXPECT_EQ(seen_c, -1) << "depth " << d << " must not win over " << before;
        }
        nearest += d == 65535;
    }
    EXPECT_GT(drawn, 100);
    EXPECT_EQ(nearest, 1);  // the corner nearest the viewer; the farthest has depth 0 and stays undrawn
    EXPECT_EQ(view.depth(static_cast<int>((0 - min_c) * ((width - 1) / (max_c - min_c)) + 0.5),
                         static_cast<int>((0 - min_r) * ((height - 1) / (max_r - min_r)) + 0.5)),
              0);
}

TEST(RenderView, PointsOutsideTheBoxDrawNothing) {
    RenderView view;
    ASSERT_TRUE(setup_axis_view(view, 10, 10));
    int calls = 0;
    auto count = [&](int, int) { ++calls; };
    view.render_triangle({100, -5, 2}, {100, 4, 2}, {100, 4, 8}, count);
    view.render_triangle({100, 2, 2}, {100, 12, 2}, {100, 4, 8}, count);
    view.render_line({100, 2, 2}, {70000, 2, 2}, count);
    view.render_line({100, 2, 2}, {NAN, 2, 2}, count);
    EXPECT_EQ(calls, 0);
}

TEST(RenderView, SetupRefusesImpossibleRastersAndReuses) {
    RenderView view;
    EXPECT_FALSE(view.render_setup(RenderView::kMaxSide + 1, 10, 0, 0, 0, 0, 0, 1, 1, 1));
    EXPECT_FALSE(view.render_setup(-1, 10, 0, 0, 0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(setup_axis_view(view, 20, 20));
    view.render_triangle(world({0, 0, 9}), world({19, 0, 9}), world({0, 19, 9}), NoPixel{});
    view.render_release();
    ASSERT_TRUE(setup_axis_view(view, 12, 7));  // a smaller raster in the same buffer starts empty
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 12; ++c) ASSERT_EQ(view.depth(c, r), 0);
}

TEST(FaceCosine, AxesWindingAndDegenerateFaces) {
    const double t = 0.4, p = -0.9;
    const Point3 o{0, 0, 0};
    EXPECT_NEAR(face_cosine(t, p, o, {0, 1, 0}, {0, 0, 1}), std::cos(t) * std::cos(p), 1e-15);
    EXPECT_NEAR(face_cosine(t, p, o, {0, 0, 1}, {1, 0, 0}), std::sin(t) * std::cos(p), 1e-15);
    EXPECT_NEAR(face_cosine(t, p, o, {1, 0, 0}, {0, 1, 0}), std::sin(p), 1e-15);
    EXPECT_NEAR(face_cosine(t, p, o, {0, 1, 0}, {1, 0, 0}), -std::sin(p), 1e-15);  // reversed winding
    EXPECT_NEAR(face_cosine(t, p, {3, 3, 3}, {3, 3, 53}, {103, 3, 3}), std::sin(t) * std::cos(p), 1e-15);
    EXPECT_EQ(face_cosine(t, p, o, {1, 1, 1}, {2, 2, 2}), 0.0);
    EXPECT_EQ(face_cosine(t, p, o, o, o), 0.0);
    EXPECT_EQ(face_cosine(0, 0, o, {0, 1, 0}, {0, 0, 1}), 1.0);
    EXPECT_EQ(face_cosine(0, 0, o, {1, 0, 0}, {0, 1, 0}), 0.0);  // exactly, so the programs can skip the axis
}

struct ShadeCall {
    int c, r;
    double s;
};

std::vector<ShadeCall> shades(const RenderView& view, double t, double p) {
    std::vector<ShadeCall> calls;
    view.shade_from_depth(t, p, [&](int c, int r, double s) { calls.push_back({c, r, s}); });
    return calls;
}

TEST(ShadeFromDepth, BorderAndEmptyNeighbours) {
    // Axis view of a raster 5 x 4 over the box (0, 0, 0)-(65535, 8, 3): scaleC = 0.5,
    // scaleR = 1, scaleD = 1. A flat face at depth 1000 covers every pixel but (2, 1).
    const int width = 5, height = 4;
    RenderView view;
    ASSERT_TRUE(view.render_setup(width, height, 0, 0, 0, 0, 0, 65535, 8, 3));
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            if (c != 2 || r != 1) view.render_line({1000, c * 2.0, r * 1.0}, {1000, c * 2.0, r * 1.0}, NoPixel{});
    ASSERT_EQ(view.depth(2, 1), 0);
    std::vector<ShadeCall> calls = shades(view, 0, 0);
    ASSERT_EQ(calls.size(), 19u);
    std::size_t k = 0;
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            if (c == 2 && r == 1) continue;  // empty pixels get no call
            SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
            ASSERT_EQ(calls[k].c, c);
            ASSERT_EQ(calls[k].r, r);
            auto depth = [&](int cc, int rr) { return (cc == 2 && rr == 1) ? 0.0 : 1000.0; };
            // Border: the neighbour itself, undivided and signed; inside: half the central difference.
            double gcol = c == 0 ? depth(1, r) : c == width - 1 ? -depth(width - 2, r) : (depth(c + 1, r) - depth(c - 1, r)) / 2;
            double grow = r == 0 ? depth(c, 1) : r == height - 1 ? -depth(c, height - 2) : (depth(c, r + 1) - depth(c, r - 1)) / 2;
            double hc = gcol * 0.5, hr = grow;
            EXPECT_DOUBLE_EQ(calls[k].s, 1 / std::sqrt(1 + hc * hc + hr * hr));
            ++k;
        }
    }
    // Inside pixels away from the hole face the viewer; next to the hole they are darker.
    auto shade_at = [&](int c, int r) {
        for (const ShadeCall& s : calls)
            if (s.c == c && s.r == r) return s.s;
        return -1.0;
    };
    EXPECT_EQ(shade_at(3, 2), 1.0);
    EXPECT_LT(shade_at(1, 1), 0.01);
    EXPECT_LT(shade_at(2, 2), 0.01);
}

TEST(ShadeFromDepth, NothingOnARasterBelowTwoPixels) {
    for (auto [width, height] : {std::pair{1, 5}, std::pair{5, 1}}) {
        RenderView view;
        ASSERT_TRUE(view.render_setup(width, height, 0, 0, 0, 0, 0, 65535, 4, 4));
        view.render_line({9, 0, 0}, {9, 4, 4}, NoPixel{});
        EXPECT_TRUE(shades(view, 0, 0).empty());
    }
}

TEST(ShadeFromDepth, TiltedPlaneShadesByItsSlope) {
    // A face drawn at an angle: the inside pixels see its true normal, so all shades agree
    // with the cosine of the face, up to the rounding of the depths.
    const double t = 0.5, p = 0.35;
    RenderView view;
    ViewExtent e = view_extent(t, p, 0, 0, 0, 60, 60, 60);
    ASSERT_TRUE(view.render_setup(static_cast<int>(std::ceil(e.width)), static_cast<int>(std::ceil(e.height)), t, p,
                                  0, 0, 0, 60, 60, 60));
    // The face z = 28 - 0.3 x across the box, turned towards the viewer.
    Point3 a{0, 0, 28}, b{60, 0, 10}, c{60, 60, 10}, d{0, 60, 28};
    view.render_triangle(a, b, c, NoPixel{});
    view.render_triangle(a, c, d, NoPixel{});
    double expected = std::abs(face_cosine(t, p, a, b, c));
    int checked = 0;
    for (const ShadeCall& s : shades(view, t, p)) {
        bool inside = s.c > 2 && s.r > 2 && s.c < view.width() - 3 && s.r < view.height() - 3 &&
                      view.depth(s.c - 1, s.r) && view.depth(s.c + 1, s.r) && view.depth(s.c, s.r - 1) &&
                      view.depth(s.c, s.r + 1);
        if (!inside) continue;
        EXPECT_NEAR(s.s, expected, 0.03);
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace slicemesh
