#include "outline/outline_scan.h"

#include <bit>
#include <cstring>

namespace slicemesh::outline_detail {

namespace {

std::uint64_t load8(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in every byte of w that is 0, nothing elsewhere (exact, no carries between bytes).
std::uint64_t zero_bytes(std::uint64_t w) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((w & low7) + low7) | w) & ~low7;
}

}  // namespace

OutlineScan::OutlineScan(OutlineForm form, int columns) : labelled_(form == OutlineForm::labelled) {
    open_.assign(static_cast<std::size_t>(columns), no_node);
    anchor_.assign(static_cast<std::size_t>(columns), no_node);
}

void OutlineScan::start(int x_first, int x_last) {
    // Fresh tables for every call: nothing may leak from one rectangle into the next.
    std::fill(open_.begin() + x_first, open_.begin() + x_last + 1, no_node);
    std::fill(anchor_.begin() + x_first, anchor_.begin() + x_last + 1, no_node);
    x_first_ = x_first;
    x_last_ = x_last;
    current_anchor_ = x_first;
    run_ = no_node;
    nodes_.clear();
}

void OutlineScan::begin(int x_first, int x_last, PlainTriangleSink sink) {
    start(x_first, x_last);
    plain_sink_ = sink;
}

void OutlineScan::begin(int x_first, int x_last, LabelledTriangleSink sink) {
    start(x_first, x_last);
    labelled_sink_ = sink;
}

void OutlineScan::scan_row(int y, PointRow up, PointRow current) {
    const int x_first = x_first_;
    const int x_last = x_last_;
    const std::uint8_t* u = up.outside;
    const std::uint8_t* l = current.outside;

    // First window: its left points lie before the rectangle.
    window((u[x_first] == 0) << 1 | (l[x_first] == 0), x_first, y, up, current);

    int x = x_first + 1;
    while (x < x_last) {
        // Most windows see no change of inside flag along either row (cases 0, 5, 10,
        // 15) and do nothing; skip them eight at a time.
        if (x + 8 <= x_last) {
            std::uint64_t changes = (zero_bytes(load8(u + x - 1)) ^ zero_bytes(load8(u + x))) |
                                    (zero_bytes(load8(l + x - 1)) ^ zero_bytes(load8(l + x)));
            if (changes == 0) {
                x += 8;
                continue;
            }
            x += std::countr_zero(changes) >> 3;
        }
        int c = (u[x - 1] == 0) << 3 | (l[x - 1] == 0) << 2 | (u[x] == 0) << 1 | (l[x] == 0);
        window(c, x, y, up, current);
        ++x;
    }

    // Last window: its right points lie past the rectangle.
    window((u[x_last - 1] == 0) << 3 | (l[x_last - 1] == 0) << 2, x_last, y, up, current);
}

void OutlineScan::window(int c, int x, int y, PointRow up, PointRow current) {
    // The label of an inside point; the plain form has none.
    auto label = [](const std::int32_t* values, int column) {
        return values == nullptr ? 0 : values[column] >> 1;
    };
    switch (c) {
    case 1: case1(x, y); break;
    case 2: run_ = case2(x, y, label(up.values, x)); break;
    case 3: current_anchor_ = x; break;
    case 4: case4(x, y, run_); break;
    case 7: case7(x, y, label(current.values, x)); break;
    case 8: case8(x, y, label(up.values, x - 1)); break;
    case 11: case11(x, y); break;
    case 13: case13(x, y, label(current.values, x - 1)); break;
    case 14: case14(x, y); break;
    case 9:  // two regions touching at a corner: one closes, the other starts
        case8(x, y, label(up.values, x - 1));
        case1(x, y);
        break;
    case 6: {  // two regions touching at the other corner
        NodeRef before = run_;
        NodeRef started = case2(x, y, label(up.values, x));
        case4(x, y, before);
        run_ = started;
        break;
    }
    default: break;  // 0, 5, 10, 12, 15: no corner
    }
}

// The "+ 1" coordinates of new nodes are placeholders that later windows correct when
// the edge reaches its end.

void OutlineScan::case1(int x, int y) {
    run_ = nodes_.make(x + 1, y);
    NodeRef corner = nodes_.make(x, y, run_);
    open_[x] = nodes_.make(x, y + 1, corner);
    current_anchor_ = x;
}

NodeRef OutlineScan::case2(int x, int y, std::int32_t label) {
    nodes_[open_[x]].y = static_cast<std::uint16_t>(y);
    NodeRef z = anchor_[x];
    if (coincides(z)) {
        NodeRef corner = nodes_.make(x, y, nodes_[z].link);
        NodeRef run = nodes_.make(x + 1, y, corner);
        NodeRef tail = nodes_.make(x, y);
        nodes_[z].link = tail;
        close(open_[x], label);
        return run;
    }
    return nodes_.make(x + 1, y, open_[x]);
}

void OutlineScan::case4(int x, int y, NodeRef run) {
    nodes_[run].x = static_cast<std::uint16_t>(x);
    open_[x] = nodes_.make(x, y + 1);
    nodes_[run].link = open_[x];
    anchor_[current_anchor_] = run;
}

void OutlineScan::case7(int x, int y, std::int32_t label) {
    nodes_[run_].x = static_cast<std::uint16_t>(x);
    nodes_[open_[x]].y = static_cast<std::uint16_t>(y);
    NodeRef z = anchor_[x];
    if (coincides(z)) {
        NodeRef corner = nodes_.make(x, y, nodes_[z].link);
        nodes_[run_].link = corner;
        NodeRef tail = nodes_.make(x, y);
        nodes_[z].link = tail;
        close(open_[x], label);
    } else {
        nodes_[run_].link = open_[x];
    }
    anchor_[current_anchor_] = run_;
}

void OutlineScan::case8(int x, int y, std::int32_t label) {
    nodes_[open_[x]].y = static_cast<std::uint16_t>(y);
    nodes_[run_].x = static_cast<std::uint16_t>(x);
    close(run_, label);
}

void OutlineScan::case11(int x, int y) {
    nodes_[run_].x = static_cast<std::uint16_t>(x);
    open_[x] = nodes_.make(x, y + 1, run_);
    current_anchor_ = x;
    anchor_[x] = run_;
}

void OutlineScan::case13(int x, int y, std::int32_t label) {
    nodes_[open_[x]].y = static_cast<std::uint16_t>(y);
    NodeRef z = anchor_[current_anchor_];
    if (coincides(z)) {
        NodeRef head = nodes_.make(x, y, nodes_[z].link);
        close(head, label);
        run_ = nodes_.make(x + 1, y);
        NodeRef corner = nodes_.make(x, y, run_);
        nodes_[z].link = corner;
    } else {
        run_ = nodes_.make(x + 1, y);
        nodes_[open_[x]].link = run_;
    }
}

void OutlineScan::case14(int x, int y) {
    NodeRef z = anchor_[current_anchor_];
    NodeRef w = nodes_[z].link;
    if (coincides(z)) {
        NodeRef corner = nodes_.make(x, y, w);
        run_ = nodes_.make(x + 1, y, corner);
    } else {
        NodeRef copy = nodes_.make(nodes_[z].x, nodes_[z].y, w);
        NodeRef corner = nodes_.make(x, y, copy);
        run_ = nodes_.make(x + 1, y, corner);
    }
    open_[x] = nodes_.make(x, y + 1);
    NodeRef corner = nodes_.make(x, y, open_[x]);
    nodes_[z].link = corner;
    anchor_[current_anchor_] = corner;
}

}  // namespace slicemesh::outline_detail
