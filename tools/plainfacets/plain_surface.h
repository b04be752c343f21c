#pragma once
// The surface of a loaded bit-plane stack: the six face sweeps, each plane's faces
// triangulated by the plain outline form and printed as ASCII STL facets.

#include "stl/ascii_stl.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh {

// Writes the facets of all six directions (not the document start and end). The grids
// are allocated first, so a memory failure comes before any facet.
void write_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, AsciiStlWriter& stl);

}  // namespace slicemesh
