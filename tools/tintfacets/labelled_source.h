#pragma once
// The label store as the face sweep's source: a voxel is solid when its label is shown,
// and every face cell gets its label's value (a colour word or a colour key) in the
// outline's label grid.

#include <array>
#include <cstdint>
#include <vector>

#include "outline/outline.h"
#include "tools/plainfacets/face_sweep.h"
#include "tools/tintfacets/label_store.h"

namespace slicemesh {

using LabelValues = std::array<std::int32_t, 256>;

class LabelledSource {
public:
    LabelledSource(const LabelStore& store, const SolidBox& box, const LabelTable& shown, const LabelValues& values)
        : store_(store), box_(box), shown_(shown), values_(values) {}

    // The grid whose label rows the faces of the next direction fill.
    void use_outline(Outline& outline) { outline_ = &outline; }

    void solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid);
    void label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells);

private:
    void load_x_block(int block);
    void load_y_plane(int p);

    const LabelStore& store_;
    const SolidBox& box_;
    const LabelTable& shown_;
    const LabelValues& values_;
    Outline* outline_ = nullptr;

    // Along x and y the sweep reads across the slices' rows; these hold the solid flags of
    // the planes at hand laid out by grid row, so each grid row is one contiguous read.
    // Below cache_threshold voxels across the read already shares cache lines, and a copy
    // would cost more memory than the store itself saves (at most a quarter of the store).
    static constexpr int cache_threshold = 64;
    // x_block_[k][z][y]: x plane x_block_first_ + k (a block of x_block_planes planes).
    static constexpr int x_block_planes = 16;
    std::vector<std::uint8_t> x_block_;
    int x_block_index_ = -1;  // p / x_block_planes of the planes held, -1 for none
    // y_plane_[x][z]: y plane y_plane_p_.
    std::vector<std::uint8_t> y_plane_;
    int y_plane_p_ = -1;
};

}  // namespace slicemesh
