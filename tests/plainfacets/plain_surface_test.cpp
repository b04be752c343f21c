#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "stl/ascii_stl.h"
#include "tests/plainfacets/stl_facets.h"
#include "tests/plainfacets/surface_check.h"
#include "tests/plainfacets/sweep_volume.h"
#include "tools/plainfacets/plain_surface.h"

namespace slicemesh {
namespace {

using test::Volume;

std::string surface_document(const Volume& v) {
    BitPlaneStack stack(v.extent, test::nonzero_labels());
    SolidBox box = test::load_stack(stack, v);
    std::FILE* file = std::tmpfile();
    {
        AsciiStlWriter stl(file);
        stl.begin();
        write_plain_surface(stack, v.extent, box, stl);
        stl.end();
    }
    std::string text;
    std::rewind(file);
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
    return text;
}

TEST(PlainSurface, SingleVoxelGivesOneSquarePerFace) {
    Volume v{{4, 3, 5}, std::vector<std::uint16_t>(60, 0)};
    v.at(2, 1, 3) = 1;
    std::string want = "solid\n";
    // Planes x 2, 3 (grid: columns y, rows z), y 1, 2 (columns z, rows x), z 3, 4 (columns x, rows y).
    want += test::rectangle_facets(Direction::mx, 2, 1, 3, 1, 3) + test::rectangle_facets(Direction::px, 3, 1, 3, 1, 3);
    want += test::rectangle_facets(Direction::my, 1, 3, 2, 3, 2) + test::rectangle_facets(Direction::py, 2, 3, 2, 3, 2);
    want += test::rectangle_facets(Direction::mz, 3, 2, 1, 2, 1) + test::rectangle_facets(Direction::pz, 4, 2, 1, 2, 1);
    EXPECT_EQ(surface_document(v), want + "endsolid\n");
}

TEST(PlainSurface, RandomStacksCoverEveryExposedFaceOnce) {
    std::mt19937 rng(3);
    for (int round = 0; round < 30; ++round) {
        // Now and then a stack wide enough for the eight-cell paths of the sweep and scan.
        std::uniform_int_distribution<int> size(1, round % 5 == 4 ? 40 : 12);
        Volume v = test::random_volume(rng, {size(rng), size(rng), size(rng)}, 0.15 + 0.025 * round, 3);
        if (v.box().empty()) continue;
        SCOPED_TRACE(::testing::Message() << "round " << round);
        test::expect_covers_faces(v, surface_document(v));
    }
}

}  // namespace
}  // namespace slicemesh
