#include "render/frame_colours.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "slicein/diagnostics.h"

namespace slicemesh {

namespace {

// The chain of a colour: the high four bits of blue, green and red.
std::uint32_t chain_of(std::uint32_t key) {
    return (key >> 20 & 0xF) << 8 | (key >> 12 & 0xF) << 4 | (key >> 4 & 0xF);
}

std::uint8_t red_of(std::uint32_t key) { return static_cast<std::uint8_t>(key); }
std::uint8_t green_of(std::uint32_t key) { return static_cast<std::uint8_t>(key >> 8); }
std::uint8_t blue_of(std::uint32_t key) { return static_cast<std::uint8_t>(key >> 16); }

constexpr std::uint32_t kHashFactor = 0x9E3779B1;  // Fibonacci hashing spreads nearby keys
constexpr std::uint64_t kEightTimes = 0x0101010101010101;

std::uint64_t load8(const std::uint8_t* bytes) {
    std::uint64_t v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

}  // namespace

std::uint32_t FrameColours::find(std::uint32_t key) const {
    const std::size_t mask = lookup_.size() - 1;
    for (std::size_t h = (key * kHashFactor) >> lookup_shift_;; h = (h + 1) & mask) {
        const Slot& slot = lookup_[h];
        if (slot.node == 0) return kNoNode;
        if (slot.key == key) return slot.node - 1;
    }
}

void FrameColours::grow_lookup() {
    std::size_t size = lookup_.empty() ? 1024 : lookup_.size() * 2;
    lookup_.assign(size, Slot{0, 0});
    lookup_shift_ = 32 - static_cast<std::uint32_t>(std::countr_zero(size));
    const std::size_t mask = size - 1;
    for (std::uint32_t i = 0; i < nodes_.size(); ++i) {
        std::size_t h = (nodes_[i].key * kHashFactor) >> lookup_shift_;
        while (lookup_[h].node != 0) h = (h + 1) & mask;
        lookup_[h] = {nodes_[i].key, i + 1};
    }
}

std::uint32_t FrameColours::find_or_add(std::uint32_t key) {
    const std::size_t mask = lookup_.size() - 1;
    std::size_t h = (key * kHashFactor) >> lookup_shift_;
    for (; lookup_[h].node != 0; h = (h + 1) & mask) {
        if (lookup_[h].key == key) return lookup_[h].node - 1;
    }
    // A new colour: its node comes after all colours seen before it.
    try {
        nodes_.push_back({key, 0});
        if (nodes_.size() * 2 > lookup_.size()) grow_lookup();
        else lookup_[h] = {key, static_cast<std::uint32_t>(nodes_.size())};
    } catch (const std::bad_alloc&) {
        gif_fatal(kListMemoryError);
    }
    return static_cast<std::uint32_t>(nodes_.size() - 1);
}

void FrameColours::chain_order() {
    try {
        order_.resize(nodes_.size());
    } catch (const std::bad_alloc&) {
        gif_fatal(kLutMemoryError);
    }
    // Stable counting sort by chain: within a chain, first appearance first.
    std::array<std::uint32_t, 4097> start{};
    for (const Node& n : nodes_) ++start[chain_of(n.key) + 1];
    for (std::size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    for (std::uint32_t i = 0; i < nodes_.size(); ++i) order_[start[chain_of(nodes_[i].key)]++] = i;
}

void FrameColours::frame_palette_build(int width, int height, const std::uint8_t* const* red_rows,
                                       const std::uint8_t* const* green_rows,
                                       const std::uint8_t* const* blue_rows) {
    frame_palette_free();
    if (lookup_.empty()) {
        try {
            grow_lookup();
        } catch (const std::bad_alloc&) {
            gif_fatal(kListMemoryError);
        }
    }
    // Rendered frames are mostly runs of one colour: count a run, eight pixels at a time
    // where it lasts, then look it up once.
    std::uint32_t run_key = kNoKey, run = 0;
    std::uint64_t run_red = 0, run_green = 0, run_blue = 0;  // the run's bytes, eight times
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* r = red_rows[i];
        const std::uint8_t* g = green_rows[i];
        const std::uint8_t* b = blue_rows[i];
        int j = 0;
        while (j < width) {
            std::uint32_t key = colour_key(r[j], g[j], b[j]);
            ++j;
            if (key == run_key) {
                ++run;
                while (width - j >= 8 && load8(r + j) == run_red && load8(g + j) == run_green &&
                       load8(b + j) == run_blue) {
                    run += 8;
                    j += 8;
                }
                continue;
            }
            if (run != 0) nodes_[find_or_add(run_key)].count += run;
            run_key = key;
            run = 1;
            run_red = kEightTimes * red_of(key);
            run_green = kEightTimes * green_of(key);
            run_blue = kEightTimes * blue_of(key);
        }
    }
    if (run != 0) nodes_[find_or_add(run_key)].count += run;
    chain_order();
    if (nodes_.size() <= 256) {
        for (std::uint32_t node : order_) {
            std::uint32_t key = nodes_[node].key;
            nodes_[node].count = static_cast<std::uint32_t>(entry_count_);
            entries_[entry_count_++] = {red_of(key), green_of(key), blue_of(key)};
        }
        return;
    }
    quantise();
}

void FrameColours::frame_palette_free() {
    if (!nodes_.empty()) std::fill(lookup_.begin(), lookup_.end(), Slot{0, 0});
    nodes_.clear();
    last_key_ = kNoKey;
    entry_count_ = 0;
}

namespace {

// Moves the entries whose channel is below the threshold to the front of [first, end)
// and returns the boundary: skip the leading ones already below, then swap each later
// one that is below to the boundary.
template <typename Channel>
std::uint32_t partition(std::vector<std::uint32_t>& order, std::uint32_t first, std::uint32_t end,
                        std::uint8_t threshold, Channel channel) {
    std::uint32_t boundary = first;
    while (boundary < end && channel(order[boundary]) < threshold) ++boundary;
    for (std::uint32_t i = boundary + 1; i < end; ++i) {
        if (channel(order[i]) < threshold) std::swap(order[i], order[boundary++]);
    }
    return boundary;
}

}  // namespace

void FrameColours::split(std::uint32_t first, std::uint32_t end, std::uint8_t origin_red,
                         std::uint8_t origin_green, std::uint8_t origin_blue,
                         std::uint8_t child_edge) {
    auto mid_red = static_cast<std::uint8_t>(origin_red + child_edge);
    auto mid_green = static_cast<std::uint8_t>(origin_green + child_edge);
    auto mid_blue = static_cast<std::uint8_t>(origin_blue + child_edge);
    auto red = [this](std::uint32_t n) { return red_of(nodes_[n].key); };
    auto green = [this](std::uint32_t n) { return green_of(nodes_[n].key); };
    auto blue = [this](std::uint32_t n) { return blue_of(nodes_[n].key); };

    // bounds[k] .. bounds[k + 1] is octant k: bit 2 blue high, bit 1 green high, bit 0 red high.
    std::uint32_t bounds[9];
    bounds[0] = first;
    bounds[8] = end;
    bounds[4] = partition(order_, first, end, mid_blue, blue);
    bounds[2] = partition(order_, bounds[0], bounds[4], mid_green, green);
    bounds[6] = partition(order_, bounds[4], bounds[8], mid_green, green);
    for (int k = 0; k < 8; k += 2) bounds[k + 1] = partition(order_, bounds[k], bounds[k + 2], mid_red, red);

    std::size_t free_slot = 0;
    for (int k = 0; k < 8; ++k) {
        std::uint32_t lo = bounds[k], hi = bounds[k + 1];
        if (lo == hi) continue;
        while (boxes_[free_slot].count != 0) ++free_slot;
        Box& box = boxes_[free_slot];
        box.count = 0;
        for (std::uint32_t i = lo; i < hi; ++i) box.count += nodes_[order_[i]].count;
        box.first = lo;
        box.end = hi;
        box.edge = hi - lo == 1 ? 0 : child_edge;
        box.origin_red = (k & 1) ? mid_red : origin_red;
        box.origin_green = (k & 2) ? mid_green : origin_green;
        box.origin_blue = (k & 4) ? mid_blue : origin_blue;
        ++box_count_;
    }
}

void FrameColours::quantise() {
    boxes_.fill(Box{});
    box_count_ = 0;
    split(0, static_cast<std::uint32_t>(order_.size()), 0, 0, 0, 128);
    while (box_count_ < 250) {
        int chosen = -1;
        for (int s = 0; s < 256; ++s) {
            const Box& box = boxes_[s];
            if (box.edge >= 2 && box.count != 0 && (chosen < 0 || box.count > boxes_[chosen].count)) chosen = s;
        }
        if (chosen < 0) break;
        Box box = boxes_[chosen];
        boxes_[chosen].count = 0;
        --box_count_;
        split(box.first, box.end, box.origin_red, box.origin_green, box.origin_blue,
              static_cast<std::uint8_t>(box.edge / 2));
    }
    for (const Box& box : boxes_) {
        if (box.count == 0) continue;
        // Exact sums; (2 sum + n) / 2n is the weighted mean rounded half up.
        std::uint64_t sum_red = 0, sum_green = 0, sum_blue = 0;
        for (std::uint32_t i = box.first; i < box.end; ++i) {
            const Node& n = nodes_[order_[i]];
            sum_red += std::uint64_t{n.count} * red_of(n.key);
            sum_green += std::uint64_t{n.count} * green_of(n.key);
            sum_blue += std::uint64_t{n.count} * blue_of(n.key);
        }
        std::uint64_t twice = std::uint64_t{box.count} * 2;
        auto mean = [&](std::uint64_t sum) { return static_cast<std::uint8_t>((sum * 2 + box.count) / twice); };
        for (std::uint32_t i = box.first; i < box.end; ++i) nodes_[order_[i]].count = static_cast<std::uint32_t>(entry_count_);
        entries_[entry_count_++] = {mean(sum_red), mean(sum_green), mean(sum_blue)};
    }
}

}  // namespace slicemesh
