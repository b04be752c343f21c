#pragma once
// The six-direction face sweep shared by plainfacets, tintfacets and meshview. One
// direction visits its planes over the solid box; each cell of the outline's work grid
// carries the state of one line of voxels along the sweep axis, so after a plane the
// cells that are 0 are exactly the faces where a solid voxel follows an empty one (or
// the outside of the box). Every plane with faces goes to the caller, who runs the
// outline triangulation over the plane's face box.
//
// The solid test and the labels come from a Source (a template parameter, so the cell
// loop has no virtual calls):
//
//   // solid[i] = 1 when the voxel at grid (row, first + i) of plane p is solid, else 0,
//   // for i = 0 .. last - first.
//   void solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid);
//   // Called for each row that has face cells after plane p, first and last being the
//   // row's first and last face cell; a labelled source writes the label of every cell
//   // whose cells[col] is 0 (col = first .. last) into the outline's label grid. The
//   // plain source does nothing.
//   void label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells);
//
// and the planes go to a PlaneSink: void operator()(int plane, int x0, int y0, int x1, int y1)
// with the direction's plane coordinate and the face box (columns x0..x1, rows y0..y1).

#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "outline/outline.h"
#include "stl/face_direction.h"

namespace slicemesh {

// W, H and N of a stack.
struct StackExtent {
    int width = 0;
    int height = 0;
    int count = 0;
};

// The smallest and largest x, y and z of the solid voxels; empty until widened.
struct SolidBox {
    std::array<int, 3> min;
    std::array<int, 3> max{-1, -1, -1};

    explicit SolidBox(StackExtent e) : min{e.width, e.height, e.count} {}
    void widen(int x, int y, int z) {
        widen_axis(0, x);
        widen_axis(1, y);
        widen_axis(2, z);
    }
    void widen_axis(int axis, int value) {
        auto a = static_cast<std::size_t>(axis);
        if (value < min[a]) min[a] = value;
        if (value > max[a]) max[a] = value;
    }
    bool empty() const { return min[0] > max[0] || min[1] > max[1] || min[2] > max[2]; }
};

// How a direction lays its planes into the grid: the axes (0 x, 1 y, 2 z) behind the grid
// rows and columns, and the reset extent (rows x columns).
struct SweepLayout {
    int sweep_axis;
    int row_axis;
    int column_axis;
    int rows;
    int columns;
};

constexpr SweepLayout sweep_layout(Direction d, StackExtent e) {
    const int size[3] = {e.width, e.height, e.count};
    constexpr int rows_of[3] = {2, 0, 1};     // x planes: rows z; y planes: rows x; z planes: rows y
    constexpr int columns_of[3] = {1, 2, 0};  // x planes: columns y; y planes: columns z; z planes: columns x
    const int a = axis_of(d);
    return {a, rows_of[a], columns_of[a], size[rows_of[a]], size[columns_of[a]]};
}

namespace sweep_detail {

// Resets rows 0..rows-1, columns 0..columns-1 of the work grid to 1 (empty before the
// first plane).
void reset_grid(Outline& outline, int rows, int columns);

// Updates count cells from the solid flags of the current plane: bit 0 of a cell says
// this voxel is empty, bit 1 that the previous one was solid, so a cell becomes 0 exactly
// on a face. Returns the first and last face cell index, or first > last when none.
struct FaceSpan {
    int first;
    int last;
};
FaceSpan update_cells(std::uint8_t* cells, const std::uint8_t* solid, int count);

}  // namespace sweep_detail

// Sweeps one direction. The outline's grid must be at least the layout's reset extent;
// solid is scratch of at least the layout's column count plus 8 bytes.
template <typename Source, typename PlaneSink>
void face_sweep(Direction d, StackExtent extent, const SolidBox& box, Outline& outline, Source& source,
                PlaneSink& planes, std::vector<std::uint8_t>& solid) {
    const SweepLayout layout = sweep_layout(d, extent);
    sweep_detail::reset_grid(outline, layout.rows, layout.columns);
    const auto at = [](const std::array<int, 3>& v, int axis) { return v[static_cast<std::size_t>(axis)]; };
    const int row_first = at(box.min, layout.row_axis), row_last = at(box.max, layout.row_axis);
    const int col_first = at(box.min, layout.column_axis), col_last = at(box.max, layout.column_axis);
    const int p_min = at(box.min, layout.sweep_axis), p_max = at(box.max, layout.sweep_axis);
    const bool plus = is_plus(d);
    const int width = col_last - col_first + 1;
    if (solid.size() < static_cast<std::size_t>(width) + 8) solid.resize(static_cast<std::size_t>(width) + 8);

    for (int i = 0; i <= p_max - p_min; ++i) {
        const int p = plus ? p_max - i : p_min + i;
        int face_row_first = layout.rows, face_row_last = -1;
        int face_col_first = layout.columns, face_col_last = -1;
        for (int row = row_first; row <= row_last; ++row) {
            source.solid_row(d, p, row, col_first, col_last, solid.data());
            std::uint8_t* cells = outline.work_row(row) + col_first;
            sweep_detail::FaceSpan span = sweep_detail::update_cells(cells, solid.data(), width);
            if (span.first > span.last) continue;
            source.label_faces(d, p, row, col_first + span.first, col_first + span.last, outline.work_row(row));
            if (face_row_first > row) face_row_first = row;
            face_row_last = row;
            if (face_col_first > col_first + span.first) face_col_first = col_first + span.first;
            if (face_col_last < col_first + span.last) face_col_last = col_first + span.last;
        }
        if (face_row_last >= 0) planes(plus ? p + 1 : p, face_col_first, face_row_first, face_col_last, face_row_last);
    }
}

// The grids of the six sweeps: one per sweep axis, each of its own reset extent, so that a
// long thin stack needs no square grid of its longest side. Allocated before any sweep,
// so a memory failure comes before any output.
class SweepGrids {
public:
    SweepGrids(OutlineForm form, StackExtent extent) {
        for (std::size_t axis = 0; axis < 3; ++axis) {
            SweepLayout layout = sweep_layout(all_directions[2 * axis], extent);
            grids_[axis] = std::make_unique<Outline>(form, layout.columns, layout.rows);
        }
    }
    Outline& of(Direction d) { return *grids_[static_cast<std::size_t>(axis_of(d))]; }

private:
    std::array<std::unique_ptr<Outline>, 3> grids_;  // indexed by sweep axis
};

// Sweeps the six directions in the order mx..pz and triangulates every plane's faces with
// the grids' outline form. The Surface receives
//   void start_direction(Direction d, Outline& outline);  // before the first plane of d
//   void set_plane(int plane);                            // before that plane's triangles
// and the triangles themselves: operator()(xa, ya, xb, yb, xc, yc) in the plain form, with
// a trailing std::int32_t label in the labelled form.
template <typename Source, typename Surface>
void sweep_surface(SweepGrids& grids, StackExtent extent, const SolidBox& box, Source& source, Surface& surface) {
    std::vector<std::uint8_t> scratch;
    for (Direction d : all_directions) {
        Outline& outline = grids.of(d);
        surface.start_direction(d, outline);
        auto triangulate = [&](auto sink) {
            auto planes = [&](int p, int x0, int y0, int x1, int y1) {
                surface.set_plane(p);
                outline.outline_regions(x0, y0, x1, y1, sink);
            };
            face_sweep(d, extent, box, outline, source, planes, scratch);
        };
        if constexpr (std::is_invocable_v<Surface&, int, int, int, int, int, int, std::int32_t>)
            triangulate(make_labelled_sink(surface));
        else
            triangulate(make_plain_sink(surface));
    }
}

}  // namespace slicemesh
