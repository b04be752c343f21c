#include "tools/tintfacets/labelled_source.h"

#include <algorithm>
#include <cstring>

namespace slicemesh {

void LabelledSource::load_x_block(int block) {
    const StackExtent e = store_.extent();
    const std::size_t h = static_cast<std::size_t>(e.height), n = static_cast<std::size_t>(e.count);
    x_block_.resize(static_cast<std::size_t>(x_block_planes) * n * h);
    const int x0 = block * x_block_planes;
    const int xs = std::min(x_block_planes, e.width - x0);
    for (int z = box_.min[2]; z <= box_.max[2]; ++z)
        for (int y = box_.min[1]; y <= box_.max[1]; ++y) {
            const std::uint8_t* in = store_.row(y, z) + x0;
            std::uint8_t* out = x_block_.data() + static_cast<std::size_t>(z) * h + static_cast<std::size_t>(y);
            for (int k = 0; k < xs; ++k) out[static_cast<std::size_t>(k) * n * h] = shown_[in[k]] != 0;
        }
    x_block_index_ = block;
}

void LabelledSource::load_y_plane(int p) {
    const StackExtent e = store_.extent();
    const std::size_t n = static_cast<std::size_t>(e.count);
    y_plane_.resize(static_cast<std::size_t>(e.width) * n);
    for (int z = box_.min[2]; z <= box_.max[2]; ++z) {
        const std::uint8_t* in = store_.row(p, z);
        for (int x = box_.min[0]; x <= box_.max[0]; ++x)
            y_plane_[static_cast<std::size_t>(x) * n + static_cast<std::size_t>(z)] = shown_[in[x]] != 0;
    }
    y_plane_p_ = p;
}

void LabelledSource::solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid) {
    const StackExtent e = store_.extent();
    const std::size_t count = static_cast<std::size_t>(last - first + 1);
    switch (axis_of(d)) {
    case 2: {  // z plane p: row y, columns x
        const std::uint8_t* in = store_.row(row, p) + first;
        for (std::size_t i = 0; i < count; ++i) solid[i] = shown_[in[i]] != 0;
        break;
    }
    case 1: {  // y plane p: row x, columns z
        if (e.height < cache_threshold) {
            for (std::size_t i = 0; i < count; ++i) solid[i] = shown_[store_.label(row, p, first + static_cast<int>(i))] != 0;
            break;
        }
        if (y_plane_p_ != p) load_y_plane(p);
        std::memcpy(solid, y_plane_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(e.count) + first, count);
        break;
    }
    default: {  // x plane p: row z, columns y
        if (e.width < cache_threshold) {
            for (std::size_t i = 0; i < count; ++i) solid[i] = shown_[store_.label(p, first + static_cast<int>(i), row)] != 0;
            break;
        }
        if (x_block_index_ != p / x_block_planes) load_x_block(p / x_block_planes);
        const std::size_t h = static_cast<std::size_t>(e.height), n = static_cast<std::size_t>(e.count);
        std::memcpy(solid,
                    x_block_.data() + static_cast<std::size_t>(p % x_block_planes) * n * h +
                        static_cast<std::size_t>(row) * h + static_cast<std::size_t>(first),
                    count);
        break;
    }
    }
}

void LabelledSource::label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells) {
    std::int32_t* labels = outline_->label_row(row);
    const int axis = axis_of(d);
    for (int col = first; col <= last; ++col) {
        if (cells[col] != 0) continue;
        std::uint8_t v = axis == 0 ? store_.label(p, col, row) : axis == 1 ? store_.label(row, p, col) : store_.label(col, row, p);
        labels[col] = values_[v];
    }
}

}  // namespace slicemesh
