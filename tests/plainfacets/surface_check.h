#pragma once
// The property every plainfacets document must have: per direction and plane, the facet
// area equals the number of exposed voxel faces there, and every facet lies on such faces.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "tests/plainfacets/stl_facets.h"
#include "tests/plainfacets/sweep_volume.h"

namespace slicemesh::test {

inline void expect_covers_faces(const Volume& v, const std::string& document) {
    bool ok = false;
    std::vector<StlFacet> facets = parse_ascii_stl(document, &ok);
    ASSERT_TRUE(ok);
    // Twice the facet area per (direction, plane) must match the faces there.
    std::map<std::pair<int, int>, long> twice_area, faces;
    for (const StlFacet& f : facets) {
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

}  // namespace slicemesh::test
