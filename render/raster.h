#pragma once
// The projection renderer core: one view projects an axis-aligned world box
// orthographically onto a W x H raster with a 16-bit depth buffer, and draws depth-tested
// segments and triangles. Each pixel that wins the depth test goes to a pixel callback
// (column, row); shade_from_depth hands every covered pixel a shade from the depth
// gradient. Callbacks are template parameters, so the hot loops make no indirect calls.
//
// The output is defined to the last bit of double arithmetic: every expression below is
// evaluated in the order written (dot products x, then y, then z), and the build forbids
// fused multiply-add.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/line_walk.h"

namespace slicemesh {

// The message of the programs when render_setup fails.
inline constexpr const char* kRenderingMemoryError = "rendering memory allocation error.";

struct Point3 {
    double x, y, z;
};

inline double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The screen basis of azimuth t and elevation p (radians): ex screen right, ey screen up,
// ed towards the viewer (the viewing direction of every cosine).
struct ViewBasis {
    Point3 ex, ey, ed;
};
ViewBasis view_basis(double t, double p);

// Cosine between the normal (P1 - P0) x (P2 - P0) and the viewing direction; 0 for
// collinear points. The sign follows the winding.
double face_cosine(double t, double p, const Point3& p0, const Point3& p1, const Point3& p2);

// Projected width and height of the box (x0, y0, z0)-(x1, y1, z1), in world units.
struct ViewExtent {
    double width, height;
};
ViewExtent view_extent(double t, double p, double x0, double y0, double z0, double x1, double y1, double z1);

// For drawing calls whose pixels nobody needs to see (depth only).
struct NoPixel {
    void operator()(int, int) const {}
};

class RenderView {
public:
    // Widest raster side accepted: a frame is at most 65535 pixels wide and rounding
    // can make the raster one pixel wider.
    static constexpr int kMaxSide = 65536;

    // Starts a view; false when the depth buffer cannot be had. The buffer is kept from
    // view to view and only grows, so a run of frames allocates it about once.
    bool render_setup(int width, int height, double t, double p, double x0, double y0, double z0,
                      double x1, double y1, double z1);
    void render_release() { active_ = false; }

    template <typename Pixel>
    void render_line(const Point3& p0, const Point3& p1, Pixel&& pixel);
    template <typename Pixel>
    void render_triangle(const Point3& p0, const Point3& p1, const Point3& p2, Pixel&& pixel);
    // Calls shade(column, row, s) for every covered pixel, rows and columns ascending.
    template <typename Shade>
    void shade_from_depth(double t, double p, Shade&& shade) const;

    int width() const { return width_; }
    int height() const { return height_; }
    // 0 = empty; larger is nearer.
    std::uint16_t depth(int column, int row) const { return depth_[index(column, row)]; }

private:
    struct Projected {
        int c, r, d;
    };

    std::size_t index(int c, int r) const {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(c);
    }

    // Points outside the box of the view fall outside the raster; they are reported, so
    // that nothing is drawn from them, rather than written out of bounds.
    bool project(const Point3& pt, Projected& out) const {
        double c = (dot(pt, basis_.ex) - min_c_) * scale_c_ + 0.5;
        double r = (dot(pt, basis_.ey) - min_r_) * scale_r_ + 0.5;
        double d = (dot(pt, basis_.ed) - min_d_) * scale_d_ + 0.5;
        if (!(c > -1.0 && c < width_ && r > -1.0 && r < height_ && d > -1.0 && d < 65536.0)) return false;
        out = {static_cast<int>(c), static_cast<int>(r), static_cast<int>(d)};
        return true;
    }

    // Strictly nearer wins, so of two equally deep candidates the first drawn stays and
    // depth 0 is never drawn.
    template <typename Pixel>
    void render_plot(int c, int r, int d, Pixel& pixel) {
        std::uint16_t& stored = depth_[index(c, r)];
        if (d > stored) {
            stored = static_cast<std::uint16_t>(d);
            pixel(c, r);
        }
    }

    using Edges = std::array<std::int64_t, 3>;

    // Every span o_min..o_max starts empty: low above high.
    void clear_spans(int o_min, int o_max, int low, int high) {
        for (int o = o_min; o <= o_max; ++o) {
            span_low_[o] = low;
            span_high_[o] = high;
        }
    }
    // Widens the spans by the points of an edge, all but its end point (index = the
    // outer coordinate, value = the inner one).
    void walk_edge_span(int i_start, int val_start, int i_end, int val_end) {
        line_walk(i_start, val_start, i_end, val_end, false, [this](int i, int val) {
            span_low_[i] = std::min(span_low_[i], val);
            span_high_[i] = std::max(span_high_[i], val);
        });
    }
    template <bool Columns, typename Pixel>
    void fill_spans(int o_min, int o_max, double base, double outer_step, double inner_step, const Edges& outer,
                    const Edges& inner, const Edges& k, Pixel& pixel);

    bool active_ = false;             // between render_setup and render_release
    int width_ = 0, height_ = 0;      // W, H
    ViewBasis basis_{};
    double min_c_ = 0, scale_c_ = 0;  // columns = (P.ex - min_c_) * scale_c_, 0..W-1 inside the box
    double min_r_ = 0, scale_r_ = 0;  // rows, 0..H-1
    double min_d_ = 0, scale_d_ = 0;  // depth, 0..65535
    std::vector<std::uint16_t> depth_;  // H rows of W, row 0 lowest; all 0 after setup
    std::vector<int> span_low_;         // max(W, H) scratch bounds of triangle filling,
    std::vector<int> span_high_;        // indexed by column or by row
};

template <typename Pixel>
void RenderView::render_line(const Point3& p0, const Point3& p1, Pixel&& pixel) {
    Projected a, b;
    if (!active_ || !project(p0, a) || !project(p1, b)) return;
    if (a.c == b.c && a.r == b.r) {
        render_plot(a.c, a.r, a.d > b.d ? a.d : b.d, pixel);
        return;
    }
    // Column-major when the column delta is larger; a tie goes to rows.
    const int major = std::max(std::abs(b.c - a.c), std::abs(b.r - a.r));
    const double q = static_cast<double>(b.d - a.d) / major;
    double acc = a.d + 0.5;
    line_walk(a.c, a.r, b.c, b.r, true, [&](int c, int r) {
        render_plot(c, r, static_cast<int>(acc), pixel);
        acc += q;
    });
}

template <typename Pixel>
void RenderView::render_triangle(const Point3& p0, const Point3& p1, const Point3& p2, Pixel&& pixel) {
    Projected v0, v1, v2;
    if (!active_ || !project(p0, v0) || !project(p1, v1) || !project(p2, v2)) return;
    // 64 bits: the depth-plane numerators pass 2^31 on rasters of about 100 pixels.
    const std::int64_t c0 = v0.c, r0 = v0.r, d0 = v0.d;
    const std::int64_t c1 = v1.c, r1 = v1.r, d1 = v1.d;
    const std::int64_t c2 = v2.c, r2 = v2.r, d2 = v2.d;
    const std::int64_t s = c0 * r1 - r0 * c1 + c1 * r2 - r1 * c2 + c2 * r0 - c0 * r2;
    if (s == 0) return;
    std::int64_t a0 = r1 - r2, a1 = r2 - r0, a2 = r0 - r1;
    std::int64_t b0 = c2 - c1, b1 = c0 - c2, b2 = c1 - c0;
    const double sd = static_cast<double>(s);
    const double base =
        static_cast<double>(d0 * (c1 * r2 - r1 * c2) + d1 * (c2 * r0 - c0 * r2) + d2 * (c0 * r1 - r0 * c1)) / sd + 0.5;
    const double gc = static_cast<double>(d0 * a0 + d1 * a1 + d2 * a2) / sd;
    const double gr = static_cast<double>(d0 * b0 + d1 * b1 + d2 * b2) / sd;
    if (s < 0) {  // the inside is where all three edge functions are >= 0
        a0 = -a0, a1 = -a1, a2 = -a2;
        b0 = -b0, b1 = -b1, b2 = -b2;
    }
    const std::int64_t k0 = -(a0 * c1 + b0 * r1), k1 = -(a1 * c2 + b1 * r2), k2 = -(a2 * c0 + b2 * r0);
    const int cmin = std::min({v0.c, v1.c, v2.c}), cmax = std::max({v0.c, v1.c, v2.c});
    const int rmin = std::min({v0.r, v1.r, v2.r}), rmax = std::max({v0.r, v1.r, v2.r});

    if (cmax - cmin > rmax - rmin) {  // column spans: the outer loop runs along the longer side
        clear_spans(cmin, cmax, rmax, rmin);
        walk_edge_span(v0.c, v0.r, v1.c, v1.r);
        walk_edge_span(v1.c, v1.r, v2.c, v2.r);
        walk_edge_span(v2.c, v2.r, v0.c, v0.r);
        fill_spans<true>(cmin, cmax, base, gc, gr, {a0, a1, a2}, {b0, b1, b2}, {k0, k1, k2}, pixel);
    } else {  // row spans
        clear_spans(rmin, rmax, cmax, cmin);
        walk_edge_span(v2.r, v2.c, v1.r, v1.c);
        walk_edge_span(v1.r, v1.c, v0.r, v0.c);
        walk_edge_span(v0.r, v0.c, v2.r, v2.c);
        fill_spans<false>(rmin, rmax, base, gr, gc, {b0, b1, b2}, {a0, a1, a2}, {k0, k1, k2}, pixel);
    }
}

// Scans the spans of the outer coordinate o (columns when Columns, else rows) from
// o_min to o_max. The depth is carried in the order that defines it: an outer value
// base + outer_step * o_min growing by outer_step, plus inner_step times the span's first
// inner coordinate, then inner_step per pixel. Edge k is outer[k] o + inner[k] i + k[k].
template <bool Columns, typename Pixel>
void RenderView::fill_spans(int o_min, int o_max, double base, double outer_step, double inner_step,
                            const Edges& outer, const Edges& inner, const Edges& k, Pixel& pixel) {
    double outer_value = base + outer_step * o_min;
    for (int o = o_min; o <= o_max; ++o, outer_value += outer_step) {
        int i = span_low_[o];
        double value = outer_value + inner_step * i;
        std::int64_t e0 = outer[0] * o + inner[0] * i + k[0];
        std::int64_t e1 = outer[1] * o + inner[1] * i + k[1];
        std::int64_t e2 = outer[2] * o + inner[2] * i + k[2];
        for (; i <= span_high_[o]; ++i, value += inner_step, e0 += inner[0], e1 += inner[1], e2 += inner[2]) {
            if ((e0 | e1 | e2) >= 0) {
                if constexpr (Columns) render_plot(o, i, static_cast<int>(value), pixel);
                else render_plot(i, o, static_cast<int>(value), pixel);
            }
        }
    }
}

template <typename Shade>
void RenderView::shade_from_depth(double t, double p, Shade&& shade) const {
    if (!active_ || width_ < 2 || height_ < 2) return;
    const ViewBasis b = view_basis(t, p);
    const Point3& v = b.ed;
    for (int i = 0; i < height_; ++i) {
        for (int j = 0; j < width_; ++j) {
            if (depth(j, i) == 0) continue;
            // Empty neighbours count as depth 0; one-sided differences at the border are not halved.
            double gcol = j == 0 ? depth(1, i)
                        : j == width_ - 1 ? -static_cast<double>(depth(width_ - 2, i))
                        : (depth(j + 1, i) - depth(j - 1, i)) / 2.0;
            double grow = i == 0 ? depth(j, 1)
                        : i == height_ - 1 ? -static_cast<double>(depth(j, height_ - 2))
                        : (depth(j, i + 1) - depth(j, i - 1)) / 2.0;
            double hc = (gcol * scale_c_) / scale_d_;
            double hr = (grow * scale_r_) / scale_d_;
            Point3 n = {(b.ed.x - hc * b.ex.x) - hr * b.ey.x, (b.ed.y - hc * b.ex.y) - hr * b.ey.y,
                        (b.ed.z - hc * b.ex.z) - hr * b.ey.z};
            double s = dot(n, v);
            shade(j, i, s <= 0 ? 0.0 : s / std::sqrt(dot(n, n)));
        }
    }
}

}  // namespace slicemesh
