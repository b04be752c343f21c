#pragma once
// Internals shared by the two forms of the outline triangulation: the window scan with
// its case table, and polygon close with the monotone triangulation. The forms differ
// only in how a point's inside flag and value are found; they hand the scan the same
// kind of rows.

#include <cstdint>
#include <vector>

#include "outline/node_pool.h"
#include "outline/outline.h"

namespace slicemesh::outline_detail {

inline constexpr const char* array_memory_message = "array memory allocation error.";

// One point row as the scan reads it. outside[X] is 0 for an inside point; values[X]
// (labelled form, else null) is 2 x label + 1 for an inside point. outside is read from
// the column before the first window to the column before the last (the first of these
// counts as outside whatever it holds), values only at inside points.
struct PointRow {
    const std::uint8_t* outside;
    const std::int32_t* values;
};

class OutlineScan {
public:
    // columns: the number of point-grid columns the tables must cover.
    OutlineScan(OutlineForm form, int columns);

    // Starts a call over the windows x_first..x_last of every row, emitting to the sink.
    void begin(int x_first, int x_last, PlainTriangleSink sink);
    void begin(int x_first, int x_last, LabelledTriangleSink sink);
    // The windows of point row y, between point rows up (y - 1) and current (y). The first
    // window's left points and the last window's right points count as outside.
    void scan_row(int y, PointRow up, PointRow current);
    // Leaves the tables empty; every polygon has been closed by then.
    void end() { nodes_.clear(); }

private:
    void start(int x_first, int x_last);
    void pack_inside(const std::uint8_t* outside, std::vector<std::uint64_t>& bits) const;
    void window(int c, int x, int y, PointRow up, PointRow current);
    bool coincides(NodeRef z) {
        NodeRef next = nodes_[z].link;
        return next != no_node && nodes_[next].x == nodes_[z].x && nodes_[next].y == nodes_[z].y;
    }
    // Case actions, named by the window's case number (8 ul + 4 ll + 2 ur + lr).
    void case1(int x, int y);
    NodeRef case2(int x, int y, std::int32_t label);  // returns the new run vertex
    void case4(int x, int y, NodeRef run);
    void case7(int x, int y, std::int32_t label);
    void case8(int x, int y, std::int32_t label);
    void case11(int x, int y);
    void case13(int x, int y, std::int32_t label);
    void case14(int x, int y);

    // polygon_close.cpp: triangulates the polygon starting at head and frees its nodes.
    void close(NodeRef head, std::int32_t label);
    void emit(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::int32_t label);

    bool labelled_;
    PlainTriangleSink plain_sink_{};
    LabelledTriangleSink labelled_sink_{};

    NodePool nodes_;
    int x_first_ = 0;               // the windows of a row run from x_first_ to x_last_
    int x_last_ = 0;
    // Inside flags of the two point rows of the windows, one bit per point column from
    // x_first_ - 1. up_bits_ holds those of packed_row_, the last current row scanned.
    std::vector<std::uint64_t> up_bits_;
    std::vector<std::uint64_t> current_bits_;
    const std::uint8_t* packed_row_ = nullptr;
    std::vector<NodeRef> open_;     // O: per point column, the lower end of an edge growing down it
    std::vector<NodeRef> anchor_;   // A: per point column, the vertex anchoring the run whose left side is there
    int current_anchor_ = 0;        // c: the column whose anchor belongs to the run being scanned
    NodeRef run_ = no_node;         // h: the moving right end of the current horizontal edge

    // Scratch of close(), kept to avoid an allocation per polygon.
    struct Vertex {
        std::int64_t x;
        std::int64_t y;
    };
    std::vector<Vertex> vertices_;       // V[0..k): the polygon in walk order
    std::vector<std::uint32_t> stack_;   // indices into vertices_
};

}  // namespace slicemesh::outline_detail
