#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "stl/ascii_stl.h"
#include "tests/plainfacets/stl_facets.h"
#include "tests/plainfacets/sweep_volume.h"
#include "tools/plainfacets/plain_surface.h"

namespace slicemesh {
namespace {

using test::Volume;

std::string surface_document(const Volume& v) {
    BitPlaneStack stack(v.extent);
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
        bool ok = false;
        std::vector<test::StlFacet> facets = test::parse_ascii_stl(surface_document(v), &ok);
        ASSERT_TRUE(ok);
        // Twice the facet area per (direction, plane) must match the faces there.
        std::map<std::pair<int, int>, long> twice_area, faces;
        for (const test::StlFacet& f : facets) {
            int axis = -1;
            for (int a = 0; a < 3; ++a)
                if (f.normal[static_cast<std::size_t>(a)] != 0) axis = a;
            ASSERT_GE(axis, 0);
            const int sign = f.normal[static_cast<std::size_t>(axis)];
            const int d = 2 * axis + (sign > 0);
            const auto& p = f.vertices;
            const std::size_t a = static_cast<std::size_t>(axis);
            ASSERT_EQ(p[0][a], p[1][a]);
            ASSERT_EQ(p[1][a], p[2][a]);
            const std::size_t i = (a + 1) % 3, j = (a + 2) % 3;
            long cross = long(p[1][i] - p[0][i]) * (p[2][j] - p[0][j]) - long(p[1][j] - p[0][j]) * (p[2][i] - p[0][i]);
            ASSERT_NE(cross, 0) << "degenerate facet";
            twice_area[{d, p[0][a]}] += std::labs(cross);
            // The centroid lies inside a face of this plane (off every cell border, since
            // a triangle of lattice corners has its centroid on a third-lattice).
            std::array<int, 3> c3{};
            for (std::size_t k = 0; k < 3; ++k) c3[k] = p[0][k] + p[1][k] + p[2][k];
            std::array<int, 3> voxel{};
            for (std::size_t k = 0; k < 3; ++k) voxel[k] = c3[k] / 3;
            voxel[a] = sign > 0 ? p[0][a] - 1 : p[0][a];
            bool on_border = c3[i] % 3 == 0 || c3[j] % 3 == 0;
            if (!on_border) {
                EXPECT_TRUE(v.face(all_directions[static_cast<std::size_t>(d)], voxel[0], voxel[1], voxel[2]))
                    << "facet off the faces";
            }
        }
        for (Direction d : all_directions)
            for (int z = 0; z < v.extent.count; ++z)
                for (int y = 0; y < v.extent.height; ++y)
                    for (int x = 0; x < v.extent.width; ++x)
                        if (v.face(d, x, y, z)) {
                            std::array<int, 3> at{x, y, z};
                            int plane = at[static_cast<std::size_t>(axis_of(d))] + (is_plus(d) ? 1 : 0);
                            faces[{index_of(d), plane}] += 2;
                        }
        EXPECT_EQ(twice_area, faces);
    }
}

}  // namespace
}  // namespace slicemesh
