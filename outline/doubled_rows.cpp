#include "outline/doubled_rows.h"

#include <algorithm>

#include "outline/byte_words.h"

namespace slicemesh::outline_detail {

DoubledRows::DoubledRows(int n) {
    const std::size_t cells = static_cast<std::size_t>(n) + 2;
    const std::size_t points = 2 * static_cast<std::size_t>(n) + 3;
    for (int i = 0; i < 2; ++i) {
        cells_[i].assign(cells, 0);
        values_[i].assign(points, 0);
        outsides_[i].assign(points, 1);
    }
    outside_.assign(points, 1);
    zeros_.assign(points, 0);
}

void DoubledRows::load_cells(const std::uint8_t* work, const std::int32_t* labels, int x0, int x1) {
    current_ ^= 1;
    std::int32_t* cell = cells_[current_].data() + 1;
    cell[x0 - 1] = 0;  // the rectangle's left neighbour is never live
    if (work == nullptr) {
        std::fill(cell + x0, cell + x1 + 1, 0);
        return;
    }
    auto load_one = [&](int k) {
        // Unsigned arithmetic: a label outside the allowed range wraps instead of overflowing.
        cell[k] = work[k] == 0 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(labels[k]) * 2u + 1u) : 0;
    };
    int k = x0;
    // Live cells are sparse in a face plane: eight cells without one are cleared at once.
    for (; k + 8 <= x1 + 1; k += 8) {
        if (zero_bytes(load8(work + k)) == 0)
            std::fill(cell + k, cell + k + 8, 0);
        else
            for (int i = k; i < k + 8; ++i) load_one(i);
    }
    for (; k <= x1; ++k) load_one(k);
}

namespace {

// True when the eight cells from k on are all not live, which leaves their sixteen points
// of either doubled row outside.
bool none_live(const std::int32_t* cell, int k) {
    std::int32_t any = 0;
    for (int i = 0; i < 8; ++i) any |= cell[k + i];
    return any == 0;
}

// Fills the points 2 x0 to 2 x1 + 1 of a doubled row: point_pair(k) sets points 2k and
// 2k + 1 from the cells, a group of eight cells without a live one is outside at once.
template <typename PointPair>
void point_pairs(const std::int32_t* cell, int x0, int x1, std::int32_t* value, std::uint8_t* outside,
                 PointPair& point_pair) {
    int k = x0;
    for (; k + 8 <= x1 + 1; k += 8) {
        if (none_live(cell, k)) {
            std::fill(value + 2 * k, value + 2 * k + 16, 0);
            std::fill(outside + 2 * k, outside + 2 * k + 16, std::uint8_t{1});
        } else {
            for (int i = k; i < k + 8; ++i) point_pair(i);
        }
    }
    for (; k <= x1; ++k) point_pair(k);
}

}  // namespace

PointRow DoubledRows::even_row(int x0, int x1) {
    const std::int32_t* above = cells_[current_ ^ 1].data() + 1;
    const std::int32_t* cell = cells_[current_].data() + 1;
    std::int32_t* value = values_[0].data() + 1;
    std::uint8_t* outside = outsides_[0].data() + 1;
    auto point_pair = [&](int k) {
        std::int32_t c = cell[k];
        std::int32_t corner = above[k - 1] == c && above[k] == c && cell[k - 1] == c ? c : 0;
        std::int32_t edge = above[k] == c ? c : 0;
        value[2 * k] = corner;
        value[2 * k + 1] = edge;
        outside[2 * k] = corner == 0;
        outside[2 * k + 1] = edge == 0;
    };
    point_pairs(cell, x0, x1, value, outside, point_pair);
    return {outside, value};
}

PointRow DoubledRows::odd_row(int x0, int x1) {
    const std::int32_t* cell = cells_[current_].data() + 1;
    std::int32_t* value = values_[1].data() + 1;
    std::uint8_t* outside = outsides_[1].data() + 1;
    auto point_pair = [&](int k) {
        std::int32_t c = cell[k];
        std::int32_t edge = cell[k - 1] == c ? c : 0;
        value[2 * k] = edge;
        value[2 * k + 1] = c;
        outside[2 * k] = edge == 0;
        outside[2 * k + 1] = c == 0;
    };
    point_pairs(cell, x0, x1, value, outside, point_pair);
    return {outside, value};
}

}  // namespace slicemesh::outline_detail
