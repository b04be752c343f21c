#include "outline/outline_scan.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>  // compiler-provided; every x86-64 has SSE2
#endif

#include "outline/byte_words.h"

namespace slicemesh::outline_detail {

namespace {

// Bit i set when p[i] is 0, for i = 0..7: the low bit of each byte of the zero-byte
// mask, gathered into one byte.
std::uint64_t inside_mask8(const std::uint8_t* p) {
    return (zero_bytes(load8(p)) >> 7) * 0x0102040810204080ULL >> 56;
}

// Bit i set when p[i] is 0, for i = 0..63.
std::uint64_t inside_mask64(const std::uint8_t* p) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)))) << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 8; ++i) mask |= inside_mask8(p + 8 * i) << (8 * i);
    return mask;
#endif
}

}  // namespace

OutlineScan::OutlineScan(OutlineForm form, int columns) : labelled_(form == OutlineForm::labelled) {
    open_.assign(static_cast<std::size_t>(columns), no_node);
    anchor_.assign(static_cast<std::size_t>(columns), no_node);
    up_bits_.assign(static_cast<std::size_t>(columns / 64 + 3), 0);
    current_bits_.assign(static_cast<std::size_t>(columns / 64 + 3), 0);
}

void OutlineScan::start(int x_first, int x_last) {
    // Fresh tables for every call: nothing may leak from one rectangle into the next.
    std::fill(open_.begin() + x_first, open_.begin() + x_last + 1, no_node);
    std::fill(anchor_.begin() + x_first, anchor_.begin() + x_last + 1, no_node);
    x_first_ = x_first;
    x_last_ = x_last;
    packed_row_ = nullptr;
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

void OutlineScan::pack_inside(const std::uint8_t* outside, std::vector<std::uint64_t>& bits) const {
    // Bit k stands for point column x_first_ - 1 + k, k = 0 .. windows; the first and
    // the last lie outside the rectangle and stay 0.
    const int windows = x_last_ - x_first_ + 1;
    const std::uint8_t* at = outside + x_first_ - 1;
    std::size_t word = 0;
    for (; 64 * static_cast<int>(word) + 64 <= windows; ++word) bits[word] = inside_mask64(at + 64 * word);
    std::uint64_t tail = 0;
    int k = 64 * static_cast<int>(word);
    for (; k + 8 <= windows; k += 8) tail |= inside_mask8(at + k) << (k & 63);
    for (; k < windows; ++k) tail |= static_cast<std::uint64_t>(at[k] == 0) << (k & 63);
    bits[word] = tail;
    bits[word + 1] = 0;
    bits[0] &= ~std::uint64_t{1};
}

void OutlineScan::scan_row(int y, PointRow up, PointRow current) {
    // Rows come in order, so the upper row's flags are usually the previous current row's.
    if (up.outside != packed_row_) pack_inside(up.outside, up_bits_);
    pack_inside(current.outside, current_bits_);
    packed_row_ = current.outside;

    // Only windows where a row changes between inside and outside have a corner (cases
    // 0, 5, 10 and 15 do nothing); the others are skipped 64 at a time.
    const int windows = x_last_ - x_first_ + 1;
    for (int i = 0; i <= windows >> 6; ++i) {
        const std::size_t w = static_cast<std::size_t>(i);
        const std::uint64_t ul = up_bits_[w], ll = current_bits_[w];
        const std::uint64_t ur = ul >> 1 | up_bits_[w + 1] << 63;
        const std::uint64_t lr = ll >> 1 | current_bits_[w + 1] << 63;
        std::uint64_t corners = (ul ^ ur) | (ll ^ lr);
        const int left = windows - 64 * i;  // windows j = 64 i + b exist for b < left
        if (left < 64) corners &= (std::uint64_t{1} << left) - 1;
        while (corners != 0) {
            const int b = std::countr_zero(corners);
            corners &= corners - 1;
            const int c = static_cast<int>((ul >> b & 1) << 3 | (ll >> b & 1) << 2 | (ur >> b & 1) << 1 | (lr >> b & 1));
            window(c, x_first_ + 64 * i + b, y, up, current);
        }
    }
    std::swap(up_bits_, current_bits_);
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
