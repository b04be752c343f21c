#pragma once
// A small labelled stack held in the test, and the independent answers a surface must
// match: the exposed faces per direction and colour, and the voxel behind a face.

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/tiff_writer.h"

namespace slicemesh::test {

struct VoxelModel {
    int width = 0, height = 0, count = 0;
    std::vector<std::uint8_t> labels;  // (z * height + y) * width + x

    VoxelModel(int w, int h, int n) : width(w), height(h), count(n), labels(static_cast<std::size_t>(w * h * n), 0) {}

    bool inside(int x, int y, int z) const {
        return x >= 0 && y >= 0 && z >= 0 && x < width && y < height && z < count;
    }
    std::uint8_t& at(int x, int y, int z) {
        return labels[static_cast<std::size_t>((z * height + y) * width + x)];
    }
    std::uint8_t at(int x, int y, int z) const {
        return labels[static_cast<std::size_t>((z * height + y) * width + x)];
    }
    // Sets every voxel of the box [x0, x1) x [y0, y1) x [z0, z1).
    void fill(int x0, int y0, int z0, int x1, int y1, int z1, std::uint8_t label) {
        for (int z = z0; z < z1; ++z)
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) at(x, y, z) = label;
    }

    // Writes the stack as 8-bit TIFF slices and returns the name file.
    std::string write(const std::string& dir, const TiffOptions& options = {}) const {
        std::vector<std::vector<std::uint16_t>> slices(static_cast<std::size_t>(count));
        for (int z = 0; z < count; ++z)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) slices[static_cast<std::size_t>(z)].push_back(at(x, y, z));
        return write_stack(dir, width, height, slices, options);
    }
};

// Direction index 0..5 (mx px my py mz pz): the step from a voxel to its neighbour
// across that face.
inline std::array<int, 3> face_step(int direction) {
    std::array<int, 3> s{0, 0, 0};
    s[static_cast<std::size_t>(direction / 2)] = direction % 2 ? 1 : -1;
    return s;
}

// Number of exposed faces per (direction, colour) of the voxels that `solid` accepts,
// coloured by `colour`; a face is exposed when the neighbour across it is outside the
// stack or not solid.
template <typename Colour>
std::map<std::tuple<int, Colour>, double> exposed_faces(const VoxelModel& m,
                                                        const std::function<bool(std::uint8_t)>& solid,
                                                        const std::function<Colour(std::uint8_t)>& colour) {
    std::map<std::tuple<int, Colour>, double> faces;
    for (int z = 0; z < m.count; ++z)
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                std::uint8_t v = m.at(x, y, z);
                if (!solid(v)) continue;
                for (int d = 0; d < 6; ++d) {
                    std::array<int, 3> s = face_step(d);
                    int nx = x + s[0], ny = y + s[1], nz = z + s[2];
                    if (!m.inside(nx, ny, nz) || !solid(m.at(nx, ny, nz))) faces[{d, colour(v)}] += 1;
                }
            }
    return faces;
}

// The voxel whose face of direction d in plane `plane` contains the world point p
// (a point strictly inside the face, such as a facet's centroid).
inline std::array<int, 3> voxel_behind(int direction, int plane, std::array<double, 3> p) {
    std::array<int, 3> v;
    for (std::size_t k = 0; k < 3; ++k) v[k] = static_cast<int>(std::floor(p[k]));
    v[static_cast<std::size_t>(direction / 2)] = direction % 2 ? plane - 1 : plane;
    return v;
}

}  // namespace slicemesh::test
