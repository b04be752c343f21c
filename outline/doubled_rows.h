#pragma once
// The doubled grid of the labelled form, two point rows at a time. Point (2k + 1, 2j + 1)
// is the centre of cell (k, j), (2k, 2j + 1) and (2k + 1, 2j) the edges between it and
// its left and upper neighbours, (2k, 2j) the corner of four cells. A point carries a
// cell value only where all the cells it touches are live with that value, so regions
// of different label, and cells touching only at a corner, are kept apart by outside
// points.

#include <cstdint>
#include <vector>

#include "outline/outline_scan.h"

namespace slicemesh::outline_detail {

class DoubledRows {
public:
    explicit DoubledRows(int n);

    // Cell row j of the rectangle becomes the current cell row (the previous current one
    // rolls back): value 2 x label + 1 where work[k] is 0 for k in x0..x1, else 0. Null
    // rows give a row without live cells.
    void load_cells(const std::uint8_t* work, const std::int32_t* labels, int x0, int x1);
    // Point row 2j from the previous and current cell rows, and row 2j + 1 from the
    // current one, over point columns 2 x0 to 2 x1 + 1.
    PointRow even_row(int x0, int x1);
    PointRow odd_row(int x0, int x1);
    PointRow outside_row() const { return {outside_.data() + 1, zeros_.data() + 1}; }

private:
    // Each buffer is indexed from -1: element 0 stands for column -1.
    std::vector<std::int32_t> cells_[2];     // previous and current cell values, n + 2 each
    int current_ = 0;                        // cells_[current_] holds cell row j
    std::vector<std::int32_t> values_[2];    // even and odd point row values, 2n + 3 each
    std::vector<std::uint8_t> outsides_[2];  // 1 where the matching value is 0
    std::vector<std::uint8_t> outside_;      // a row of outside points: all 1
    std::vector<std::int32_t> zeros_;
};

}  // namespace slicemesh::outline_detail
