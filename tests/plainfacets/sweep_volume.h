#pragma once
// Test volumes for the face sweep: a label per voxel, with brute-force face answers.

#include <cstdint>
#include <random>
#include <vector>

#include "stl/face_direction.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh::test {

struct Volume {
    StackExtent extent;
    std::vector<std::uint16_t> labels;  // [z][y][x]

    std::uint16_t at(int x, int y, int z) const {
        return labels[(static_cast<std::size_t>(z) * extent.height + y) * extent.width + x];
    }
    std::uint16_t& at(int x, int y, int z) {
        return labels[(static_cast<std::size_t>(z) * extent.height + y) * extent.width + x];
    }
    // Solid: label nonzero; nothing outside the stack is solid.
    bool solid(int x, int y, int z) const {
        if (x < 0 || y < 0 || z < 0 || x >= extent.width || y >= extent.height || z >= extent.count) return false;
        return at(x, y, z) != 0;
    }
    // Voxel (x, y, z) has an exposed face of direction d.
    bool face(Direction d, int x, int y, int z) const {
        std::array<int, 3> n = normal_of(d);
        return solid(x, y, z) && !solid(x + n[0], y + n[1], z + n[2]);
    }
    // The voxel behind cell (row, column) of plane p of direction d.
    std::array<int, 3> voxel(Direction d, int p, int row, int column) const {
        SweepLayout l = sweep_layout(d, extent);
        std::array<int, 3> v{};
        v[static_cast<std::size_t>(l.sweep_axis)] = p;
        v[static_cast<std::size_t>(l.row_axis)] = row;
        v[static_cast<std::size_t>(l.column_axis)] = column;
        return v;
    }
    SolidBox box() const {
        SolidBox b(extent);
        for (int z = 0; z < extent.count; ++z)
            for (int y = 0; y < extent.height; ++y)
                for (int x = 0; x < extent.width; ++x)
                    if (solid(x, y, z)) b.widen(x, y, z);
        return b;
    }
};

// Random labels 0..labels-1 (0 is empty), density the chance of a nonzero label.
inline Volume random_volume(std::mt19937& rng, StackExtent e, double density, int labels) {
    Volume v{e, std::vector<std::uint16_t>(static_cast<std::size_t>(e.width) * e.height * e.count, 0)};
    std::uniform_real_distribution<double> coin(0, 1);
    std::uniform_int_distribution<int> label(1, labels - 1);
    for (auto& l : v.labels)
        if (coin(rng) < density) l = static_cast<std::uint16_t>(label(rng));
    return v;
}

inline SliceImage16 slice_of(const Volume& v, int z) {
    SliceImage16 s;
    s.width = v.extent.width;
    s.height = v.extent.height;
    const std::size_t size = static_cast<std::size_t>(s.width) * s.height;
    s.samples.assign(v.labels.begin() + static_cast<std::ptrdiff_t>(z * size),
                     v.labels.begin() + static_cast<std::ptrdiff_t>((z + 1) * size));
    return s;
}

// Every nonzero label.
inline const std::vector<std::uint8_t>& nonzero_labels() {
    static const std::vector<std::uint8_t> selection = [] {
        std::vector<std::uint8_t> s(65536, 1);
        s[0] = 0;
        return s;
    }();
    return selection;
}

// Loads the volume into a stack made with nonzero_labels().
inline SolidBox load_stack(BitPlaneStack& stack, const Volume& v) {
    SolidBox box(v.extent);
    for (int z = 0; z < v.extent.count; ++z) stack.add_slice(z, slice_of(v, z), box);
    return box;
}

}  // namespace slicemesh::test
