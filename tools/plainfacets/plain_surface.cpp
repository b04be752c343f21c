#include "tools/plainfacets/plain_surface.h"

#include <array>
#include <memory>

#include "outline/outline.h"

namespace slicemesh {

void write_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, AsciiStlWriter& stl) {
    // One grid per sweep axis, each of its own reset extent: a long thin stack then needs
    // no square grid of its longest side.
    std::array<std::unique_ptr<Outline>, 3> grids;
    for (int axis = 0; axis < 3; ++axis) {
        SweepLayout layout = sweep_layout(all_directions[static_cast<std::size_t>(2 * axis)], extent);
        grids[static_cast<std::size_t>(axis)] = std::make_unique<Outline>(OutlineForm::plain, layout.columns, layout.rows);
    }
    std::vector<std::uint8_t> scratch;
    for (Direction d : all_directions) {
        Outline& outline = *grids[static_cast<std::size_t>(axis_of(d))];
        int plane = 0;  // the current plane coordinate, read by the facet printer
        auto printer = [&](int xa, int ya, int xb, int yb, int xc, int yc) { stl.facet(d, plane, xa, ya, xb, yb, xc, yc); };
        const PlainTriangleSink sink = make_plain_sink(printer);
        auto planes = [&](int p, int x0, int y0, int x1, int y1) {
            plane = p;
            outline.outline_regions(x0, y0, x1, y1, sink);
        };
        face_sweep(d, extent, box, outline, stack, planes, scratch);
    }
}

}  // namespace slicemesh
