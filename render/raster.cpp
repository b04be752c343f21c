#include "render/raster.h"

#include <new>
#include <stdexcept>

namespace slicemesh {

namespace {

struct BoxProjection {
    double min_c, max_c, min_r, max_r, min_d, max_d;
};

BoxProjection project_box(const ViewBasis& b, double x0, double y0, double z0, double x1, double y1, double z1) {
    BoxProjection box{};
    bool first = true;
    for (double x : {x0, x1}) {
        for (double y : {y0, y1}) {
            for (double z : {z0, z1}) {
                Point3 corner{x, y, z};
                double c = dot(corner, b.ex), r = dot(corner, b.ey), d = dot(corner, b.ed);
                if (first) {
                    box = {c, c, r, r, d, d};
                    first = false;
                }
                box.min_c = std::min(box.min_c, c);
                box.max_c = std::max(box.max_c, c);
                box.min_r = std::min(box.min_r, r);
                box.max_r = std::max(box.max_r, r);
                box.min_d = std::min(box.min_d, d);
                box.max_d = std::max(box.max_d, d);
            }
        }
    }
    return box;
}

}  // namespace

ViewBasis view_basis(double t, double p) {
    const double st = std::sin(t), ct = std::cos(t), sp = std::sin(p), cp = std::cos(p);
    return {{-st, ct, 0.0}, {-ct * sp, -st * sp, cp}, {ct * cp, st * cp, sp}};
}

double face_cosine(double t, double p, const Point3& p0, const Point3& p1, const Point3& p2) {
    const Point3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const Point3 b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    const Point3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double nn = dot(n, n);
    if (nn == 0) return 0;
    return dot(n, view_basis(t, p).ed) / std::sqrt(nn);
}

ViewExtent view_extent(double t, double p, double x0, double y0, double z0, double x1, double y1, double z1) {
    BoxProjection box = project_box(view_basis(t, p), x0, y0, z0, x1, y1, z1);
    return {box.max_c - box.min_c, box.max_r - box.min_r};
}

bool RenderView::render_setup(int width, int height, double t, double p, double x0, double y0, double z0,
                              double x1, double y1, double z1) {
    active_ = false;
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return false;
    try {
        std::size_t span = static_cast<std::size_t>(std::max(width, height));
        if (span_low_.size() < span) {
            span_low_.resize(span);
            span_high_.resize(span);
        }
        depth_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    width_ = width;
    height_ = height;
    basis_ = view_basis(t, p);
    BoxProjection box = project_box(basis_, x0, y0, z0, x1, y1, z1);
    min_c_ = box.min_c;
    min_r_ = box.min_r;
    min_d_ = box.min_d;
    scale_c_ = (width - 1) / (box.max_c - box.min_c);
    scale_r_ = (height - 1) / (box.max_r - box.min_r);
    scale_d_ = 65535 / (box.max_d - box.min_d);
    active_ = true;
    return true;
}

}  // namespace slicemesh
