#include <gtest/gtest.h>

#include <map>
#include <random>

#include "outline/outline.h"
#include "tests/plainfacets/sweep_volume.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh {
namespace {

using test::Volume;

// A labelled source straight from the test volume, as tintfacets and meshview use the
// sweep: solid is a nonzero label, face cells get the voxel's label.
struct VolumeSource {
    const Volume& volume;
    Outline& outline;
    int label_rows = 0;

    void solid_row(Direction d, int p, int row, int first, int last, std::uint8_t* solid) {
        for (int c = first; c <= last; ++c) {
            auto v = volume.voxel(d, p, row, c);
            solid[c - first] = volume.solid(v[0], v[1], v[2]);
        }
    }
    void label_faces(Direction d, int p, int row, int first, int last, const std::uint8_t* cells) {
        ++label_rows;
        for (int c = first; c <= last; ++c) {
            if (cells[c] != 0) continue;
            auto v = volume.voxel(d, p, row, c);
            outline.label_row(row)[c] = volume.at(v[0], v[1], v[2]);
        }
    }
};

TEST(BitPlaneStack, HoldsEveryVoxelAndDeliversRowsOfEachAxis) {
    std::mt19937 rng(7);
    const StackExtent extents[] = {{1, 1, 1}, {9, 5, 17}, {13, 8, 8}, {3, 20, 11}};
    for (StackExtent e : extents) {
        SCOPED_TRACE(::testing::Message() << e.width << "x" << e.height << "x" << e.count);
        Volume v = test::random_volume(rng, e, 0.5, 2);
        BitPlaneStack stack(e, test::nonzero_labels());
        test::load_stack(stack, v);
        for (int z = 0; z < e.count; ++z)
            for (int y = 0; y < e.height; ++y)
                for (int x = 0; x < e.width; ++x) ASSERT_EQ(stack.solid(x, y, z), v.solid(x, y, z));
        std::vector<std::uint8_t> solid(64 + 8);
        for (Direction d : all_directions) {
            SweepLayout l = sweep_layout(d, e);
            const int planes = l.sweep_axis == 0 ? e.width : l.sweep_axis == 1 ? e.height : e.count;
            for (int p = planes - 1; p >= 0; --p) {  // descending, as the plus sweeps go
                for (int row = 0; row < l.rows; ++row) {
                    const int first = std::min(row % 3, l.columns - 1);
                    const int last = std::max(first, l.columns - 1 - row % 2);
                    stack.solid_row(d, p, row, first, last, solid.data());
                    for (int c = first; c <= last; ++c) {
                        auto vx = v.voxel(d, p, row, c);
                        ASSERT_EQ(solid[static_cast<std::size_t>(c - first)], v.solid(vx[0], vx[1], vx[2]))
                            << suffix(d) << " plane " << p << " row " << row << " column " << c;
                    }
                }
            }
        }
    }
}

TEST(BitPlaneStack, SelectionsOfOneRunAndOfSeveral) {
    // One run of labels takes a compare instead of the table; both must agree.
    struct Case {
        const char* desc;
        std::vector<std::pair<int, int>> runs;
    };
    const Case cases[] = {
        {"nothing", {}},          {"1-255", {{1, 255}}},           {"0 alone", {{0, 0}}},
        {"65535 alone", {{65535, 65535}}}, {"everything", {{0, 65535}}}, {"two runs", {{1, 2}, {4, 65535}}},
    };
    const std::uint16_t labels[] = {0, 1, 2, 3, 4, 255, 256, 65534, 65535};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::vector<std::uint8_t> selection(65536, 0);
        for (auto [low, high] : c.runs)
            for (int v = low; v <= high; ++v) selection[static_cast<std::size_t>(v)] = 1;
        const StackExtent e{9, 1, 1};
        BitPlaneStack stack(e, selection);
        SolidBox box(e);
        stack.add_slice(0, SliceImage16{9, 1, std::vector<std::uint16_t>(std::begin(labels), std::end(labels))}, box);
        for (int x = 0; x < 9; ++x) EXPECT_EQ(stack.solid(x, 0, 0), selection[labels[x]] != 0) << labels[x];
    }
}

TEST(BitPlaneStack, SmallSliceAndUnselectedLabelsStayEmpty) {
    const StackExtent e{4, 3, 2};
    std::vector<std::uint8_t> selection(65536, 0);
    selection[0] = 1;  // label 0 selected: a missing pixel must still not become solid
    selection[7] = 1;
    BitPlaneStack stack(e, selection);
    SolidBox box(e);
    SliceImage16 small{2, 1, {0, 5}};
    SliceImage16 full{4, 3, std::vector<std::uint16_t>(12, 3)};
    full.samples[11] = 7;
    stack.add_slice(0, small, box);
    stack.add_slice(1, full, box);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(stack.solid(x, y, 0), x == 0 && y == 0) << x << "," << y;
            EXPECT_EQ(stack.solid(x, y, 1), x == 3 && y == 2) << x << "," << y;
        }
    EXPECT_EQ(box.min, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(box.max, (std::array<int, 3>{3, 2, 1}));
}

TEST(FaceSweep, MarksExactlyTheFacesOfEachPlaneInOrder) {
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        std::uniform_int_distribution<int> size(1, 9);
        StackExtent e{size(rng), size(rng), size(rng)};
        Volume v = test::random_volume(rng, e, 0.1 + 0.02 * round, 4);
        SolidBox box = v.box();
        if (box.empty()) continue;
        const int m = std::max({e.width, e.height, e.count});
        Outline outline(OutlineForm::labelled, m, m);
        VolumeSource source{v, outline};
        std::vector<std::uint8_t> scratch;
        for (Direction d : all_directions) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " " << suffix(d));
            SweepLayout l = sweep_layout(d, e);
            const int lo = box.min[static_cast<std::size_t>(l.sweep_axis)];
            const int hi = box.max[static_cast<std::size_t>(l.sweep_axis)];
            std::vector<int> planes_seen;
            auto planes = [&](int plane, int x0, int y0, int x1, int y1) {
                const int p = is_plus(d) ? plane - 1 : plane;
                planes_seen.push_back(p);
                int r0 = l.rows, r1 = -1, c0 = l.columns, c1 = -1;
                for (int row = 0; row < l.rows; ++row)
                    for (int c = 0; c < l.columns; ++c) {
                        auto vx = v.voxel(d, p, row, c);
                        bool face = v.face(d, vx[0], vx[1], vx[2]);
                        ASSERT_EQ(outline.work_row(row)[c] == 0, face) << "plane " << p << " cell " << row << "," << c;
                        if (face) {
                            r0 = std::min(r0, row), r1 = std::max(r1, row);
                            c0 = std::min(c0, c), c1 = std::max(c1, c);
                            EXPECT_EQ(outline.label_row(row)[c], v.at(vx[0], vx[1], vx[2]));
                        }
                    }
                EXPECT_EQ((std::array<int, 4>{x0, y0, x1, y1}), (std::array<int, 4>{c0, r0, c1, r1}));
            };
            face_sweep(d, e, box, outline, source, planes, scratch);
            // Every plane with a face is reported, in the direction's order, and no other.
            std::vector<int> want;
            for (int i = 0; i <= hi - lo; ++i) {
                int p = is_plus(d) ? hi - i : lo + i;
                bool any = false;
                for (int row = 0; row < l.rows; ++row)
                    for (int c = 0; c < l.columns; ++c) {
                        auto vx = v.voxel(d, p, row, c);
                        any = any || v.face(d, vx[0], vx[1], vx[2]);
                    }
                if (any) want.push_back(p);
            }
            EXPECT_EQ(planes_seen, want);
        }
    }
}

TEST(FaceSweep, LayoutOfEachDirection) {
    const StackExtent e{5, 6, 7};
    struct Case {
        Direction d;
        int sweep, row, column, rows, columns;
    };
    const Case cases[] = {{Direction::mx, 0, 2, 1, 7, 6}, {Direction::px, 0, 2, 1, 7, 6},
                          {Direction::my, 1, 0, 2, 5, 7}, {Direction::py, 1, 0, 2, 5, 7},
                          {Direction::mz, 2, 1, 0, 6, 5}, {Direction::pz, 2, 1, 0, 6, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(suffix(c.d));
        SweepLayout l = sweep_layout(c.d, e);
        EXPECT_EQ((std::array<int, 5>{l.sweep_axis, l.row_axis, l.column_axis, l.rows, l.columns}),
                  (std::array<int, 5>{c.sweep, c.row, c.column, c.rows, c.columns}));
    }
}

}  // namespace
}  // namespace slicemesh
