#pragma once
// Region outline triangulation: the marked cells (work-grid byte 0) of a rectangle of a
// 2-D grid become triangles that cover each region exactly, handed one by one to the
// caller's triangle sink. A region is a 4-connected set of marked cells; in the
// labelled form its cells also share one label-grid value. Cells touching only at a
// corner belong to different regions. Emission order and corner order are fixed: every
// surface file downstream is written in the order the triangles arrive.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace slicemesh {

enum class OutlineForm { plain, labelled };

// Corner coordinates pass through 16-bit point nodes, doubled in the labelled form, so a
// grid (and any stack swept through it) may have at most this many rows and columns.
constexpr int outline_max_extent(OutlineForm form) {
    return form == OutlineForm::plain ? 65535 : 32767;
}

inline constexpr const char* too_large_stack_message = "too large stack.";
inline constexpr const char* work_memory_message = "work memory allocation error.";

// Raises "too large stack." when a stack of width x height x count voxels has a
// dimension the form cannot carry; programs call it before writing any output.
void check_outline_extent(OutlineForm form, int width, int height, int count);

// A triangle (xa, ya), (xb, yb), (xc, yc) of cell-corner points: (x, y) is the top-left
// corner of the cell in column x, row y. A plain function plus context keeps the scan
// free of virtual calls; make_plain_sink / make_labelled_sink wrap any callable.
struct PlainTriangleSink {
    void (*emit)(void* context, int xa, int ya, int xb, int yb, int xc, int yc);
    void* context;
};
struct LabelledTriangleSink {
    void (*emit)(void* context, int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t label);
    void* context;
};

template <typename F>
PlainTriangleSink make_plain_sink(F& f) {
    return {[](void* c, int xa, int ya, int xb, int yb, int xc, int yc) { (*static_cast<F*>(c))(xa, ya, xb, yb, xc, yc); },
            &f};
}
template <typename F>
LabelledTriangleSink make_labelled_sink(F& f) {
    return {[](void* c, int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t label) {
                (*static_cast<F*>(c))(xa, ya, xb, yb, xc, yc, label);
            },
            &f};
}

namespace outline_detail {
class OutlineScan;
class DoubledRows;
}

class Outline {
public:
    // outline_alloc: a work grid of m rows by n columns, every cell 1 (unmarked), with a
    // row -1 and a column -1 that stay 1; in the labelled form also the label grid. The
    // caller fills the grids before each outline_regions call. Fails with
    // "work memory allocation error.".
    Outline(OutlineForm form, int n, int m);
    // outline_release
    ~Outline();
    Outline(const Outline&) = delete;
    Outline& operator=(const Outline&) = delete;

    OutlineForm form() const { return form_; }
    int columns() const { return n_; }
    int rows() const { return m_; }

    // Row y of the work grid, y from -1 to m - 1, indexable from -1 to n - 1.
    std::uint8_t* work_row(int y) { return work_.get() + static_cast<std::size_t>(y + 1) * stride_ + 1; }
    // Row y of the label grid (labelled form), y from 0 to m - 1, indexable 0 to n - 1.
    // Labels must lie between -2^30 and 2^30 - 1.
    std::int32_t* label_row(int y) { return labels_.get() + static_cast<std::size_t>(y) * n_; }

    // Triangulates the regions of marked cells in columns x0..x1 and rows y0..y1
    // (inclusive, inside the grid); cells outside the rectangle count as unmarked. Each
    // call is independent. The first overload is the plain form, the second the
    // labelled form; each must match the form the grid was made for.
    void outline_regions(int x0, int y0, int x1, int y1, PlainTriangleSink sink);
    void outline_regions(int x0, int y0, int x1, int y1, LabelledTriangleSink sink);

private:
    OutlineForm form_;
    int n_;                                   // columns
    int m_;                                   // rows
    std::size_t stride_;                      // n_ + 1: the work grid carries column -1
    std::unique_ptr<std::uint8_t[]> work_;    // (m_ + 1) x stride_ bytes, row -1 first
    std::unique_ptr<std::int32_t[]> labels_;  // m_ x n_ labels; labelled form only
    std::unique_ptr<outline_detail::OutlineScan> scan_;
    std::unique_ptr<outline_detail::DoubledRows> doubled_;  // labelled form only
    std::vector<std::uint8_t> outside_;                       // plain form: a row of 1s, from column -1
};

}  // namespace slicemesh
