#include "tools/tintfacets/labelled_source.h"

#include <gtest/gtest.h>

#include <random>

#include "tools/tintfacets/label_store.h"

namespace slicemesh {
namespace {

// A random stack whose solid voxels fill a box that starts and ends off the 64-voxel
// word boundaries, so every path of the source meets partial words.
struct RandomStack {
    StackExtent extent;
    std::vector<std::vector<std::uint8_t>> labels;  // per slice, row-major
    LabelTable shown{};

    RandomStack(StackExtent e, unsigned seed) : extent(e) {
        std::mt19937 random(seed);
        for (int v = 0; v < 256; ++v) shown[static_cast<std::size_t>(v)] = random() % 3 != 0 ? 1 : 0;
        shown[0] = 0;
        labels.resize(static_cast<std::size_t>(e.count));
        for (int z = 0; z < e.count; ++z) {
            labels[static_cast<std::size_t>(z)].resize(static_cast<std::size_t>(e.width * e.height));
            for (int y = 0; y < e.height; ++y)
                for (int x = 0; x < e.width; ++x) {
                    bool margin = x < 3 || y < 1 || z < 2 || x > e.width - 3;
                    labels[static_cast<std::size_t>(z)][static_cast<std::size_t>(y * e.width + x)] =
                        margin ? 0 : static_cast<std::uint8_t>(random() % 5 == 0 ? random() % 256 : 0);
                }
        }
    }
    std::uint8_t at(int x, int y, int z) const {
        return labels[static_cast<std::size_t>(z)][static_cast<std::size_t>(y * extent.width + x)];
    }
    bool solid(int x, int y, int z) const { return shown[at(x, y, z)] != 0; }
};

// The voxel of grid cell (row, col) of plane p in direction d.
std::array<int, 3> voxel(Direction d, int p, int row, int col) {
    switch (axis_of(d)) {
    case 0: return {p, col, row};
    case 1: return {row, p, col};
    default: return {col, row, p};
    }
}

TEST(LabelledSource, SolidRowsMatchTheLabelsInEveryDirection) {
    struct Case {
        const char* desc;
        StackExtent extent;
    };
    const Case cases[] = {
        {"bits and both turned caches", {150, 70, 67}},
        {"bits, few rows and slices", {130, 5, 3}},
        {"narrow: labels only", {20, 70, 66}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        RandomStack s(c.extent, 7);
        LabelStore store(c.extent, "memory allocation error.");
        SolidBox box(c.extent);
        for (int z = 0; z < c.extent.count; ++z) {
            SliceImage8 slice{c.extent.width, c.extent.height, s.labels[static_cast<std::size_t>(z)]};
            store.add_slice(std::move(slice), s.shown, box, nullptr);
        }
        SolidBox expected(c.extent);
        for (int z = 0; z < c.extent.count; ++z)
            for (int y = 0; y < c.extent.height; ++y)
                for (int x = 0; x < c.extent.width; ++x)
                    if (s.solid(x, y, z)) expected.widen(x, y, z);
        ASSERT_EQ(box.min, expected.min);
        ASSERT_EQ(box.max, expected.max);
        EXPECT_EQ(store.has_solid_bits(), c.extent.width >= 64);

        LabelValues values{};
        LabelledSource source(store, box, s.shown, values);
        std::vector<std::uint8_t> solid(256);
        int mismatches = 0;
        for (Direction d : all_directions) {
            SweepLayout layout = sweep_layout(d, c.extent);
            const int p_min = box.min[static_cast<std::size_t>(layout.sweep_axis)];
            const int p_max = box.max[static_cast<std::size_t>(layout.sweep_axis)];
            const int first = box.min[static_cast<std::size_t>(layout.column_axis)];
            const int last = box.max[static_cast<std::size_t>(layout.column_axis)];
            for (int i = 0; i <= p_max - p_min; ++i) {
                const int p = is_plus(d) ? p_max - i : p_min + i;  // the sweep's order
                for (int row = box.min[static_cast<std::size_t>(layout.row_axis)];
                     row <= box.max[static_cast<std::size_t>(layout.row_axis)]; ++row) {
                    source.solid_row(d, p, row, first, last, solid.data());
                    for (int col = first; col <= last; ++col) {
                        std::array<int, 3> v = voxel(d, p, row, col);
                        if (solid[static_cast<std::size_t>(col - first)] != (s.solid(v[0], v[1], v[2]) ? 1 : 0))
                            ++mismatches;
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(LabelledSource, FaceCellsTakeTheirLabelsValue) {
    const StackExtent e{70, 4, 3};
    RandomStack s(e, 11);
    LabelStore store(e, "memory allocation error.");
    SolidBox box(e);
    for (int z = 0; z < e.count; ++z)
        store.add_slice(SliceImage8{e.width, e.height, s.labels[static_cast<std::size_t>(z)]}, s.shown, box, nullptr);
    LabelValues values;
    for (int v = 0; v < 256; ++v) values[static_cast<std::size_t>(v)] = 0x8000 + 3 * v;
    LabelledSource source(store, box, s.shown, values);
    for (Direction d : all_directions) {
        SCOPED_TRACE(suffix(d));
        SweepLayout layout = sweep_layout(d, e);
        Outline outline(OutlineForm::labelled, layout.columns, layout.rows);
        source.use_outline(outline);
        const int p = 1, row = 2;
        std::vector<std::uint8_t> cells(static_cast<std::size_t>(layout.columns) + 8, 1);
        for (int col = 0; col < layout.columns; col += 3) cells[static_cast<std::size_t>(col)] = 0;
        std::fill_n(outline.label_row(row), layout.columns, -1);
        source.label_faces(d, p, row, 0, layout.columns - 1, cells.data());
        for (int col = 0; col < layout.columns; ++col) {
            std::array<int, 3> v = voxel(d, p, row, col);
            std::int32_t want = col % 3 == 0 ? values[s.at(v[0], v[1], v[2])] : -1;  // other cells untouched
            EXPECT_EQ(outline.label_row(row)[col], want) << col;
        }
    }
}

TEST(LabelStore, SmallerSlicesArePaddedAndLargerOnesKeptAsRead) {
    const StackExtent e{3, 2, 2};
    LabelStore store(e, "memory allocation error.");
    SolidBox box(e);
    std::array<bool, 256> present{};
    LabelTable shown{};
    shown[5] = 1;
    store.add_slice(SliceImage8{3, 2, {1, 2, 3, 4, 5, 6}}, shown, box, &present);
    store.add_slice(SliceImage8{1, 1, {7}}, shown, box, &present);
    const std::uint8_t expected[2][6] = {{1, 2, 3, 4, 5, 6}, {7, 0, 0, 0, 0, 0}};
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(store.label(x, y, z), expected[z][y * 3 + x]);
    EXPECT_EQ(box.min, (std::array<int, 3>{1, 1, 0}));
    EXPECT_EQ(box.max, (std::array<int, 3>{1, 1, 0}));
    for (int v = 0; v < 256; ++v) EXPECT_EQ(present[static_cast<std::size_t>(v)], v <= 7) << v;
}

}  // namespace
}  // namespace slicemesh
