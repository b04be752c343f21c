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
    LabelledSource(const LabelStore& store, const SolidBox& box, const LabelTable& shown, const LabelValues& values);

    // The grid whose label rows the faces of the next direction fill.
    void use_outline(Outline& outline) { outline_ = &outline; }

    void solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid);
    void label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells);

private:
    void load_x_block(int block);
    void load_y_plane(int p);

    const LabelStore& store_;
    const SolidBox& box_;
    const LabelValues& values_;
    LabelTable solid_{};  // 1 for a shown label, else 0
    Outline* outline_ = nullptr;

    // With the store's solid bits, the x and y planes, which run across the bit rows, are
    // turned 64 x 64 bits at a time into rows of their own grid:
    std::size_t y_words_ = 0;  // words of a grid row of an x plane: ceil(H / 64)
    std::size_t z_words_ = 0;  // words of a grid row of a y plane: ceil(N / 64)
    // x_block_[(k * N + z) * y_words_ + w]: bits of y for z and x plane 64 x_block_index_ + k.
    std::vector<std::uint64_t> x_block_;
    int x_block_index_ = -1;  // -1 for none
    // y_plane_[x * z_words_ + w]: bits of z for x in y plane y_plane_p_.
    std::vector<std::uint64_t> y_plane_;
    int y_plane_p_ = -1;
};

}  // namespace slicemesh
