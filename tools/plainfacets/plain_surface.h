#pragma once
// The surface of a loaded bit-plane stack: the six face sweeps, each plane's faces
// triangulated by the plain outline form and handed on as plane triangles.

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
    SweepGrids grids(OutlineForm::plain, extent);
    struct Surface {
        Facet& facet;
        Direction d = Direction::mx;
        int plane = 0;  // the current plane coordinate
        void start_direction(Direction next, Outline&) { d = next; }
        void set_plane(int p) { plane = p; }
        void operator()(int xa, int ya, int xb, int yb, int xc, int yc) { facet(d, plane, xa, ya, xb, yb, xc, yc); }
    } surface{facet};
    sweep_surface(grids, extent, box, stack, surface);
}

// The facets of all six directions as ASCII STL (not the document start and end).
void write_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, AsciiStlWriter& stl);

}  // namespace slicemesh
