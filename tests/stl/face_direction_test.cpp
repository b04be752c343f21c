#include "stl/face_direction.h"

#include <gtest/gtest.h>

namespace slicemesh {
namespace {

TEST(FaceDirection, OrderSuffixesAndNormals) {
    const char* names[] = {"mx", "px", "my", "py", "mz", "pz"};
    const std::array<int, 3> normals[] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0},
                                          {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};
    for (int i = 0; i < 6; ++i) {
        Direction d = all_directions[static_cast<std::size_t>(i)];
        EXPECT_EQ(index_of(d), i);
        EXPECT_EQ(suffix(d), names[i]);
        EXPECT_EQ(normal_of(d), normals[i]);
    }
}

TEST(FaceDirection, CornerMappingPerAxis) {
    // plane 7, corner (u, v) = (2, 3)
    EXPECT_EQ(corner_xyz(Direction::mx, 7, 2, 3), (std::array<int, 3>{7, 2, 3}));
    EXPECT_EQ(corner_xyz(Direction::px, 7, 2, 3), (std::array<int, 3>{7, 2, 3}));
    EXPECT_EQ(corner_xyz(Direction::my, 7, 2, 3), (std::array<int, 3>{3, 7, 2}));
    EXPECT_EQ(corner_xyz(Direction::py, 7, 2, 3), (std::array<int, 3>{3, 7, 2}));
    EXPECT_EQ(corner_xyz(Direction::mz, 7, 2, 3), (std::array<int, 3>{2, 3, 7}));
    EXPECT_EQ(corner_xyz(Direction::pz, 7, 2, 3), (std::array<int, 3>{2, 3, 7}));
}

}  // namespace
}  // namespace slicemesh
