#pragma once
// Checks a coloured binary STL against the voxels it claims to bound: every facet is
// axis-aligned with a unit normal, lies in one integer plane and carries the colour word
// of the solid voxel behind it, and per direction and colour word the facet area equals
// the number of exposed voxel faces. With unit factors the coordinates are divided back.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

#include "tests/support/binary_stl_reader.h"
#include "tests/support/voxel_model.h"

namespace slicemesh::test {

inline void check_stl_surface(const StlFile& stl, const VoxelModel& m, const std::function<bool(std::uint8_t)>& solid,
                              const std::function<std::uint16_t(std::uint8_t)>& word,
                              std::array<double, 3> units = {1, 1, 1}) {
    EXPECT_EQ(stl.header, std::string(80, '\0'));
    EXPECT_EQ(stl.count, stl.facets.size());
    std::map<std::tuple<int, std::uint16_t>, double> area;
    for (std::size_t i = 0; i < stl.facets.size(); ++i) {
        SCOPED_TRACE("facet " + std::to_string(i));
        const StlFacet& f = stl.facets[i];
        int d = normal_direction(f);
        ASSERT_GE(d, 0) << "normal is not a unit axis vector";
        std::size_t axis = static_cast<std::size_t>(d / 2);
        std::array<std::array<double, 3>, 3> v;
        for (std::size_t k = 0; k < 3; ++k)
            for (std::size_t c = 0; c < 3; ++c) v[k][c] = f.vertex[k][c] / units[c];
        double plane = v[0][axis];
        ASSERT_EQ(plane, std::round(plane));
        ASSERT_EQ(v[1][axis], plane);
        ASSERT_EQ(v[2][axis], plane);
        std::array<double, 3> centroid;
        for (std::size_t c = 0; c < 3; ++c) centroid[c] = (v[0][c] + v[1][c] + v[2][c]) / 3;
        std::array<int, 3> behind = voxel_behind(d, static_cast<int>(plane), centroid);
        ASSERT_TRUE(m.inside(behind[0], behind[1], behind[2]));
        std::uint8_t label = m.at(behind[0], behind[1], behind[2]);
        EXPECT_TRUE(solid(label));
        EXPECT_EQ(f.attribute, word(label));
        std::array<int, 3> s = face_step(d);
        int nx = behind[0] + s[0], ny = behind[1] + s[1], nz = behind[2] + s[2];
        EXPECT_TRUE(!m.inside(nx, ny, nz) || !solid(m.at(nx, ny, nz))) << "face between two solid voxels";
        std::size_t a = (axis + 1) % 3, b = (axis + 2) % 3;
        double cross = (v[1][a] - v[0][a]) * (v[2][b] - v[0][b]) - (v[1][b] - v[0][b]) * (v[2][a] - v[0][a]);
        EXPECT_NE(cross, 0.0) << "degenerate facet";
        area[{d, f.attribute}] += std::fabs(cross) / 2;
    }
    EXPECT_EQ(area, exposed_faces<std::uint16_t>(m, solid, word));
}

}  // namespace slicemesh::test
