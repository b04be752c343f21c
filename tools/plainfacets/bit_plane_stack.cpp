#include "tools/plainfacets/bit_plane_stack.h"

#include <cstring>
#include <new>

#include "slicein/diagnostics.h"

namespace slicemesh {

namespace {

// The eight bits of b spread to eight bytes of 0 or 1, bit 0 into the first byte.
constexpr std::uint64_t spread_bits(unsigned b) {
    std::uint64_t w = 0;
    for (int i = 0; i < 8; ++i) w |= static_cast<std::uint64_t>((b >> i) & 1) << (8 * i);
    return w;
}

struct SpreadTable {
    std::uint64_t words[256];
    constexpr SpreadTable() : words{} {
        for (unsigned b = 0; b < 256; ++b) words[b] = spread_bits(b);
    }
};
constexpr SpreadTable spread;

}  // namespace

BitPlaneStack::BitPlaneStack(StackExtent extent, std::span<const std::uint8_t> selection)
    : extent_(extent), selection_(selection), width_(static_cast<std::size_t>(extent.width)) {
    try {
        groups_.resize(static_cast<std::size_t>((extent.count + 7) / 8));
    } catch (const std::bad_alloc&) {
        fatal(memory_message);
    }
    std::size_t low = 0;
    while (low < selection.size() && selection[low] == 0) ++low;
    std::size_t high = low;
    while (high + 1 < selection.size() && selection[high + 1] != 0) ++high;
    std::size_t rest = high + 1;
    while (rest < selection.size() && selection[rest] == 0) ++rest;
    if (low < selection.size() && rest == selection.size()) {
        one_run_ = true;
        run_low_ = static_cast<std::uint16_t>(low);
        run_span_ = static_cast<std::uint16_t>(high - low);
    }
}

template <typename Selected>
void BitPlaneStack::store_rows(int z, const SliceImage16& slice, SolidBox& box, Selected selected) {
    std::uint8_t* g = groups_[static_cast<std::size_t>(z >> 3)].get();
    const int rows = std::min(slice.height, extent_.height);
    const int columns = std::min(slice.width, extent_.width);
    const int bit = z & 7;
    for (int y = 0; y < rows; ++y) {
        const std::uint16_t* in = slice.row(y);
        std::uint8_t* out = g + static_cast<std::size_t>(y) * width_;
        unsigned any = 0;
        for (int x = 0; x < columns; ++x) {
            unsigned s = selected(in[x]);
            any |= s;
            out[x] = static_cast<std::uint8_t>(out[x] | (s << bit));
        }
        if (any == 0) continue;
        int first = 0, last = columns - 1;
        while (!selected(in[first])) ++first;
        while (!selected(in[last])) --last;
        box.widen_axis(0, first);
        box.widen_axis(0, last);
        box.widen_axis(1, y);
        box.widen_axis(2, z);
    }
}

void BitPlaneStack::add_slice(int z, const SliceImage16& slice, SolidBox& box) {
    const std::size_t bytes = width_ * static_cast<std::size_t>(extent_.height);
    std::unique_ptr<std::uint8_t[]>& g = groups_[static_cast<std::size_t>(z >> 3)];
    if ((z & 7) == 0 || !g) {
        g.reset(new (std::nothrow) std::uint8_t[bytes]());
        if (!g && bytes != 0) fatal(memory_message);
    }
    if (one_run_) {
        const std::uint16_t low = run_low_, span = run_span_;
        store_rows(z, slice, box, [low, span](std::uint16_t v) -> unsigned {
            return static_cast<std::uint16_t>(v - low) <= span;
        });
    } else {
        const std::uint8_t* table = selection_.data();
        store_rows(z, slice, box, [table](std::uint16_t v) -> unsigned { return table[v] != 0; });
    }
}

void BitPlaneStack::load_slab(int block) {
    const std::size_t groups = groups_.size();
    const std::size_t height = static_cast<std::size_t>(extent_.height);
    const std::size_t plane = groups * height;  // bytes of one x plane in the slab
    slab_.resize(8 * plane);
    const int x0 = 8 * block;
    const int xs = std::min(8, extent_.width - x0);
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* in = group(static_cast<int>(g));
        for (std::size_t y = 0; y < height; ++y) {
            const std::uint8_t* bytes = in + y * width_ + static_cast<std::size_t>(x0);
            for (int k = 0; k < xs; ++k) slab_[static_cast<std::size_t>(k) * plane + g * height + y] = bytes[k];
        }
    }
    slab_block_ = block;
}

void BitPlaneStack::solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid) {
    const int count = last - first + 1;
    switch (axis_of(d)) {
    case 2: {  // z plane p: row y, columns x, straight from the group
        const std::uint8_t* in = group(p >> 3) + static_cast<std::size_t>(row) * width_ + static_cast<std::size_t>(first);
        const int bit = p & 7;
        for (int i = 0; i < count; ++i) solid[i] = (in[i] >> bit) & 1;
        break;
    }
    case 1: {  // y plane p: row x, columns z, one byte of eight z per group
        const std::size_t at = static_cast<std::size_t>(p) * width_ + static_cast<std::size_t>(row);
        const int g_first = first >> 3, g_last = last >> 3;
        z_flags_.resize(8 * groups_.size());
        for (int g = g_first; g <= g_last; ++g) {
            std::uint64_t w = spread.words[group(g)[at]];
            std::memcpy(z_flags_.data() + 8 * g, &w, 8);
        }
        std::memcpy(solid, z_flags_.data() + first, static_cast<std::size_t>(count));
        break;
    }
    default: {  // x plane p: row z, columns y, from the slab of p's block
        if (slab_block_ != p >> 3) load_slab(p >> 3);
        const std::size_t plane = groups_.size() * static_cast<std::size_t>(extent_.height);
        const std::uint8_t* in = slab_.data() + static_cast<std::size_t>(p & 7) * plane +
                                 static_cast<std::size_t>(row >> 3) * static_cast<std::size_t>(extent_.height) +
                                 static_cast<std::size_t>(first);
        const int bit = row & 7;
        for (int i = 0; i < count; ++i) solid[i] = (in[i] >> bit) & 1;
        break;
    }
    }
}

}  // namespace slicemesh
