#pragma once
// The surface of a loaded bit-plane stack: the six face sweeps, each plane's faces
// triangulated by the plain outline form and handed on as plane triangles.

#include <array>
#include <memory>
#include <vector>

#include "outline/outline.h"
#include "stl/ascii_stl.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh {

// Calls facet(direction, plane, ua, va, ub, vb, uc, vc) for every triangle, directions in
// the order mx..pz. The grids are allocated first, so a memory failure comes before any
// facet.
template <typename Facet>
void sweep_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, Facet& facet) {
    // One grid per sweep axis, each of its own reset extent: a long thin stack then needs
    // no square grid of its longest side.
    std::array<std::unique_ptr<Outline>, 3> grids;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        SweepLayout layout = sweep_layout(all_directions[2 * axis], extent);
        grids[axis] = std::make_unique<Outline>(OutlineForm::plain, layout.columns, layout.rows);
    }
    std::vector<std::uint8_t> scratch;
    for (Direction d : all_directions) {
        Outline& outline = *grids[static_cast<std::size_t>(axis_of(d))];
        int plane = 0;  // the current plane coordinate, read by the sink
        auto triangle = [&](int xa, int ya, int xb, int yb, int xc, int yc) { facet(d, plane, xa, ya, xb, yb, xc, yc); };
        const PlainTriangleSink sink = make_plain_sink(triangle);
        auto planes = [&](int p, int x0, int y0, int x1, int y1) {
            plane = p;
            outline.outline_regions(x0, y0, x1, y1, sink);
        };
        face_sweep(d, extent, box, outline, stack, planes, scratch);
    }
}

// The facets of all six directions as ASCII STL (not the document start and end).
void write_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, AsciiStlWriter& stl);

}  // namespace slicemesh
