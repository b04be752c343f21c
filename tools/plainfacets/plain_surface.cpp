#include "tools/plainfacets/plain_surface.h"

namespace slicemesh {

void write_plain_surface(BitPlaneStack& stack, StackExtent extent, const SolidBox& box, AsciiStlWriter& stl) {
    auto facet = [&stl](Direction d, int plane, int ua, int va, int ub, int vb, int uc, int vc) {
        stl.facet(d, plane, ua, va, ub, vb, uc, vc);
    };
    sweep_plain_surface(stack, extent, box, facet);
}

}  // namespace slicemesh
