#include "tools/plainfacets/plainfacets.h"

#include <cstdio>
#include <vector>

#include "outline/outline.h"
#include "slicein/diagnostics.h"
#include "slicein/slice_list.h"
#include "slicein/tiff_slice.h"
#include "stl/ascii_stl.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/plain_surface.h"
#include "tools/plainfacets/range_list.h"

namespace slicemesh {

int run_plainfacets(int argc, char** argv) {
    if (argc != 4) fatal("usage : plainfacets directory nameFile rangeList");
    const SliceList list = read_slice_list(argv[1], argv[2], SampleForm::bits16);
    constexpr int largest_label = 65535;
    std::vector<std::uint8_t> selection(largest_label + 1);
    parse_range_list(argv[3], largest_label, selection);
    // Corners travel as 16-bit values; a larger stack would print wrong coordinates.
    check_outline_extent(OutlineForm::plain, list.width, list.height, list.count);

    const StackExtent extent{list.width, list.height, list.count};
    BitPlaneStack stack(extent, selection);
    SolidBox box(extent);
    for (int z = 0; z < list.count; ++z) {
        SliceImage16 slice = read_tiff_slice16(list.paths[static_cast<std::size_t>(z)]);
        stack.add_slice(z, slice, box);
    }
    if (box.empty()) fatal("no solid object.");

    AsciiStlWriter stl(stdout);
    stl.begin();
    write_plain_surface(stack, extent, box, stl);
    stl.end();
    return 0;
}

}  // namespace slicemesh
