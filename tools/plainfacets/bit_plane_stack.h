#pragma once
// The solid flags of a whole stack at one bit per voxel: group g holds slices 8g..8g+7
// as H rows of W bytes, bit z mod 8 of byte [y][x] being voxel (x, y, z). Built in one
// reading pass, then read by the face sweep along all three axes (it is the sweep's
// plain Source).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "slicein/tiff_slice.h"
#include "stl/face_direction.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh {

inline constexpr const char* memory_message = "memory allocation error.";

class BitPlaneStack {
public:
    // Allocates the group table; fails with "memory allocation error.". selection has
    // 65536 entries, nonzero for the solid labels; it must outlive the stack.
    BitPlaneStack(StackExtent extent, std::span<const std::uint8_t> selection);

    // Stores slice z (slices come in order 0, 1, ...): voxels whose sample is selected
    // become solid and widen the box. Pixels outside the slice, or outside the stack's
    // width and height, stay empty.
    void add_slice(int z, const SliceImage16& slice, SolidBox& box);

    bool solid(int x, int y, int z) const {
        return (group(z >> 3)[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)] >> (z & 7)) & 1;
    }

    // Source of the face sweep.
    void solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid);
    void label_faces(Direction, int, int, int, int, const std::uint8_t*) {}

private:
    const std::uint8_t* group(int g) const { return groups_[static_cast<std::size_t>(g)].get(); }
    void load_slab(int block);

    template <typename Selected>
    void store_rows(int z, const SliceImage16& slice, SolidBox& box, Selected selected);

    StackExtent extent_;
    std::span<const std::uint8_t> selection_;
    // When the selection is one run of labels (as "1-255" is), a compare replaces the
    // table look-up, and the loading loop vectorises.
    bool one_run_ = false;
    std::uint16_t run_low_ = 0;
    std::uint16_t run_span_ = 0;  // run_high - run_low
    std::size_t width_;                                  // W, the row length of a group
    std::vector<std::unique_ptr<std::uint8_t[]>> groups_;  // ceil(N / 8) groups, allocated as their first slice arrives
    // For x planes: slab_[k][g][y] is byte [y][8 block + k] of group g, so that a grid row
    // (fixed z, running y) of plane x is contiguous. Holds the planes of one block of
    // eight x values; H x 8 ceil(N / 8) bytes, about one slice.
    std::vector<std::uint8_t> slab_;
    int slab_block_ = -1;                                // the block in slab_, -1 for none
    std::vector<std::uint8_t> z_flags_;                  // scratch for y planes: flags by z, padded to whole groups
};

}  // namespace slicemesh
