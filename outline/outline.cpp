#include "outline/outline.h"

#include <algorithm>
#include <cassert>
#include <new>

#include "outline/doubled_rows.h"
#include "outline/outline_scan.h"
#include "slicein/diagnostics.h"

namespace slicemesh {

using outline_detail::PointRow;

void check_outline_extent(OutlineForm form, int width, int height, int count) {
    const int limit = outline_max_extent(form);
    if (width > limit || height > limit || count > limit) fatal(too_large_stack_message);
}

Outline::Outline(OutlineForm form, int n, int m) : form_(form), n_(n), m_(m), stride_(static_cast<std::size_t>(n) + 1) {
    assert(n >= 0 && m >= 0);
    check_outline_extent(form, n, m, 0);
    const std::size_t bytes = stride_ * (static_cast<std::size_t>(m) + 1);
    try {
        work_.reset(new std::uint8_t[bytes]);
        std::fill_n(work_.get(), bytes, std::uint8_t{1});
        if (form == OutlineForm::labelled) {
            labels_.reset(new std::int32_t[static_cast<std::size_t>(n) * static_cast<std::size_t>(m)]());
            scan_ = std::make_unique<outline_detail::OutlineScan>(form, 2 * n + 3);
            doubled_ = std::make_unique<outline_detail::DoubledRows>(n);
        } else {
            scan_ = std::make_unique<outline_detail::OutlineScan>(form, n + 2);
            outside_.assign(static_cast<std::size_t>(n) + 2, 1);
        }
    } catch (const std::bad_alloc&) {
        fatal(work_memory_message);
    }
}

Outline::~Outline() = default;

void Outline::outline_regions(int x0, int y0, int x1, int y1, PlainTriangleSink sink) {
    assert(form_ == OutlineForm::plain);
    assert(0 <= x0 && x0 <= x1 && x1 < n_ && 0 <= y0 && y0 <= y1 && y1 < m_);
    // Point (X, Y) is cell (X, Y). Points before, right of and below the rectangle are
    // outside whatever the grid holds there.
    const PointRow outside{outside_.data() + 1, nullptr};
    outline_detail::OutlineScan& scan = *scan_;
    scan.begin(x0, x1 + 1, sink);
    PointRow up = outside;
    for (int y = y0; y <= y1; ++y) {
        PointRow row{work_row(y), nullptr};
        scan.scan_row(y, up, row);
        up = row;
    }
    scan.scan_row(y1 + 1, up, outside);
    scan.end();
}

void Outline::outline_regions(int x0, int y0, int x1, int y1, LabelledTriangleSink sink) {
    assert(form_ == OutlineForm::labelled);
    assert(0 <= x0 && x0 <= x1 && x1 < n_ && 0 <= y0 && y0 <= y1 && y1 < m_);
    // The scan walks the doubled grid: point rows 2 y0 to 2 y1 + 2, columns 2 x0 to 2 x1 + 2.
    outline_detail::OutlineScan& scan = *scan_;
    outline_detail::DoubledRows& doubled = *doubled_;
    scan.begin(2 * x0, 2 * x1 + 2, sink);
    doubled.load_cells(nullptr, nullptr, x0, x1);  // row y0 - 1 has no live cell
    PointRow up = doubled.outside_row();
    for (int j = y0;; ++j) {
        const bool live = j <= y1;
        doubled.load_cells(live ? work_row(j) : nullptr, live ? label_row(j) : nullptr, x0, x1);
        PointRow even = doubled.even_row(x0, x1);
        scan.scan_row(2 * j, up, even);
        if (!live) break;
        PointRow odd = doubled.odd_row(x0, x1);
        scan.scan_row(2 * j + 1, even, odd);
        up = odd;
    }
    scan.end();
}

}  // namespace slicemesh
