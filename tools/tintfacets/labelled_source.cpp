#include "tools/tintfacets/labelled_source.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "outline/byte_words.h"

namespace slicemesh {

namespace {

// a[i] bit j becomes a[j] bit i (bits counted from the low end).
void transpose64(std::uint64_t a[64]) {
    std::uint64_t mask = 0x00000000FFFFFFFFULL;
    for (int j = 32; j != 0; j >>= 1, mask ^= mask << j)
        for (int k = 0; k < 64; k = (k + j + 1) & ~j) {
            std::uint64_t t = ((a[k] >> j) ^ a[k | j]) & mask;
            a[k] ^= t << j;
            a[k | j] ^= t;
        }
}

// The eight bits of b as eight bytes of 0 or 1, bit 0 in the first byte.
struct SpreadTable {
    std::uint64_t words[256];
    constexpr SpreadTable() : words{} {
        for (unsigned b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i) words[b] |= static_cast<std::uint64_t>((b >> i) & 1) << (8 * i);
    }
};
constexpr SpreadTable spread;

// out[i] = bit first + i of the bit row, for i below count.
void expand_bits(const std::uint64_t* bits, int first, int count, std::uint8_t* out) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const unsigned b = static_cast<unsigned>(first + i), shift = b & 63;
        std::uint64_t w = bits[b >> 6] >> shift;
        if (shift > 56) w |= bits[(b >> 6) + 1] << (64 - shift);
        const std::uint64_t bytes = spread.words[w & 0xFF];
        std::memcpy(out + i, &bytes, 8);
    }
    for (; i < count; ++i) {
        const unsigned b = static_cast<unsigned>(first + i);
        out[i] = static_cast<std::uint8_t>((bits[b >> 6] >> (b & 63)) & 1);
    }
}

}  // namespace

LabelledSource::LabelledSource(const LabelStore& store, const SolidBox& box, const LabelTable& shown,
                               const LabelValues& values)
    : store_(store), box_(box), values_(values) {
    for (std::size_t v = 0; v < 256; ++v) solid_[v] = shown[v] != 0;
    const StackExtent e = store.extent();
    y_words_ = (static_cast<std::size_t>(e.height) + 63) / 64;
    z_words_ = (static_cast<std::size_t>(e.count) + 63) / 64;
}

void LabelledSource::load_x_block(int block) {
    const StackExtent e = store_.extent();
    const std::size_t n = static_cast<std::size_t>(e.count);
    x_block_.assign(64 * n * y_words_, 0);
    const std::size_t word = static_cast<std::size_t>(block);
    std::uint64_t a[64];
    for (int z = box_.min[2]; z <= box_.max[2]; ++z)
        for (int g = box_.min[1] / 64; g <= box_.max[1] / 64; ++g) {
            for (int j = 0; j < 64; ++j) {
                const int y = 64 * g + j;
                a[j] = y < e.height ? store_.solid_bits(y, z)[word] : 0;
            }
            transpose64(a);
            for (std::size_t k = 0; k < 64; ++k)
                x_block_[(k * n + static_cast<std::size_t>(z)) * y_words_ + static_cast<std::size_t>(g)] = a[k];
        }
    x_block_index_ = block;
}

void LabelledSource::load_y_plane(int p) {
    const StackExtent e = store_.extent();
    y_plane_.assign(static_cast<std::size_t>(e.width) * z_words_, 0);
    std::uint64_t a[64];
    for (int g = box_.min[2] / 64; g <= box_.max[2] / 64; ++g)
        for (int xw = box_.min[0] / 64; xw <= box_.max[0] / 64; ++xw) {
            for (int j = 0; j < 64; ++j) {
                const int z = 64 * g + j;
                a[j] = z < e.count ? store_.solid_bits(p, z)[static_cast<std::size_t>(xw)] : 0;
            }
            transpose64(a);
            for (int k = 0; k < 64 && 64 * xw + k < e.width; ++k)
                y_plane_[static_cast<std::size_t>(64 * xw + k) * z_words_ + static_cast<std::size_t>(g)] =
                    a[static_cast<std::size_t>(k)];
        }
    y_plane_p_ = p;
}

void LabelledSource::solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid) {
    const int count = last - first + 1;
    const int axis = axis_of(d);
    if (!store_.has_solid_bits()) {
        // Narrow stacks: straight from the labels.
        for (int i = 0; i < count; ++i) {
            const int col = first + i;
            solid[i] = solid_[axis == 0 ? store_.label(p, col, row) : axis == 1 ? store_.label(row, p, col)
                                                                                  : store_.label(col, row, p)];
        }
        return;
    }
    switch (axis) {
    case 2:  // z plane p: row y, columns x
        expand_bits(store_.solid_bits(row, p), first, count, solid);
        break;
    case 1:  // y plane p: row x, columns z
        if (y_plane_p_ != p) load_y_plane(p);
        expand_bits(y_plane_.data() + static_cast<std::size_t>(row) * z_words_, first, count, solid);
        break;
    default:  // x plane p: row z, columns y
        if (x_block_index_ != p / 64) load_x_block(p / 64);
        expand_bits(x_block_.data() +
                        (static_cast<std::size_t>(p % 64) * static_cast<std::size_t>(store_.extent().count) +
                         static_cast<std::size_t>(row)) *
                            y_words_,
                    first, count, solid);
        break;
    }
}

void LabelledSource::label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells) {
    std::int32_t* labels = outline_->label_row(row);
    const int axis = axis_of(d);
    auto label_one = [&](int col) {
        std::uint8_t v = axis == 0 ? store_.label(p, col, row) : axis == 1 ? store_.label(row, p, col) : store_.label(col, row, p);
        labels[col] = values_[v];
    };
    int col = first;
    // Faces are sparse: eight cells at a time, visiting only the zero ones.
    for (; col + 8 <= last + 1; col += 8)
        for (std::uint64_t zeros = zero_bytes(load8(cells + col)); zeros != 0; zeros &= zeros - 1)
            label_one(col + (std::countr_zero(zeros) >> 3));
    for (; col <= last; ++col)
        if (cells[col] == 0) label_one(col);
}

}  // namespace slicemesh
