// plainfacets end to end, on stacks written with libtiff.

#include <gtest/gtest.h>

#include <random>

#include "tests/plainfacets/stl_facets.h"
#include "tests/plainfacets/surface_check.h"
#include "tests/plainfacets/sweep_volume.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"

namespace slicemesh {
namespace {

using test::rectangle_facets;
using test::run_program;
using test::TempDir;
using test::Volume;

// Writes the volume as a 16-bit stack and runs plainfacets on it.
test::ProgramResult plainfacets(const TempDir& dir, const Volume& v, const std::string& ranges) {
    std::vector<std::vector<std::uint16_t>> slices;
    for (int z = 0; z < v.extent.count; ++z) slices.push_back(test::slice_of(v, z).samples);
    test::TiffOptions options;
    options.bits_per_sample = 16;
    std::string names = test::write_stack(dir.path().string(), v.extent.width, v.extent.height, slices, options);
    return run_program("plainfacets", {dir.path().string(), names, ranges});
}

Volume empty_volume(StackExtent e) {
    return {e, std::vector<std::uint16_t>(static_cast<std::size_t>(e.width) * e.height * e.count, 0)};
}

// The six rectangles of a box of voxels x0..x1, y0..y1, z0..z1.
std::string box_document(int x0, int y0, int z0, int x1, int y1, int z1) {
    return "solid\n" + rectangle_facets(Direction::mx, x0, y0, z0, y1, z1) +
           rectangle_facets(Direction::px, x1 + 1, y0, z0, y1, z1) + rectangle_facets(Direction::my, y0, z0, x0, z1, x1) +
           rectangle_facets(Direction::py, y1 + 1, z0, x0, z1, x1) + rectangle_facets(Direction::mz, z0, x0, y0, x1, y1) +
           rectangle_facets(Direction::pz, z1 + 1, x0, y0, x1, y1) + "endsolid\n";
}

TEST(Plainfacets, UsageOnAnyOtherArgumentCount) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{}, {"a", "b"}, {"a", "b", "c", "d"}}) {
        SCOPED_TRACE(args.size());
        auto r = run_program("plainfacets", args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "usage : plainfacets directory nameFile rangeList\n");
    }
}

// Stacks whose surface is the six rectangles of one box of voxels.
TEST(Plainfacets, BoxSurfaces) {
    struct Fill {
        std::array<int, 6> box;  // x0 y0 z0 x1 y1 z1
        std::uint16_t label;
    };
    struct Case {
        const char* desc;
        StackExtent extent;
        std::vector<Fill> fills;
        const char* list;
        std::array<int, 6> surface;  // the box whose rectangles are printed
    };
    const Case cases[] = {
        {"single voxel", {4, 3, 5}, {{{2, 1, 3, 2, 1, 3}, 9}}, "9", {2, 1, 3, 2, 1, 3}},
        {"two voxels touching along x", {4, 4, 4}, {{{1, 1, 1, 1, 1, 1}, 1}, {{2, 1, 1, 2, 1, 1}, 2}}, "1-2", {1, 1, 1, 2, 1, 1}},
        {"two voxels touching along y", {4, 4, 4}, {{{1, 1, 1, 1, 1, 1}, 1}, {{1, 2, 1, 1, 2, 1}, 2}}, "1-2", {1, 1, 1, 1, 2, 1}},
        {"two voxels touching along z", {4, 4, 4}, {{{1, 1, 1, 1, 1, 1}, 1}, {{1, 1, 2, 1, 1, 2}, 2}}, "1-2", {1, 1, 1, 1, 1, 2}},
        {"dash selects every voxel, label 0 too", {3, 2, 4}, {{{1, 1, 1, 1, 1, 1}, 700}}, "-", {0, 0, 0, 2, 1, 3}},
        // The first plane of every minus sweep still finds the low side of the box.
        {"solid box away from the origin", {6, 5, 7}, {{{3, 1, 2, 4, 3, 5}, 4}}, "4", {3, 1, 2, 4, 3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TempDir dir;
        Volume v = empty_volume(c.extent);
        for (const Fill& f : c.fills)
            for (int z = f.box[2]; z <= f.box[5]; ++z)
                for (int y = f.box[1]; y <= f.box[4]; ++y)
                    for (int x = f.box[0]; x <= f.box[3]; ++x) v.at(x, y, z) = f.label;
        auto r = plainfacets(dir, v, c.list);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        const auto& b = c.surface;
        EXPECT_EQ(r.out, box_document(b[0], b[1], b[2], b[3], b[4], b[5]));
    }
}

TEST(Plainfacets, RangeListSyntax) {
    // Labels 3, 5 and 65535 in a row of single voxels; the list decides which are solid.
    struct Case {
        const char* desc;
        const char* list;
        const char* err;  // empty when the list is accepted
    };
    const Case cases[] = {
        {"open ends", "3-,-3", ""},
        {"commas anywhere", ",,3,,", ""},
        {"largest value", "65535", ""},
        {"upper bound below lower", "5-3", "bad range list.\n"},
        {"two dashes", "3--5", "bad range list.\n"},
        {"space after comma", "3, 5", "bad range list.\n"},
        {"above the largest value", "65536", "bad range list.\n"},
        {"letter", "x", "bad range list.\n"},
    };
    TempDir dir;
    Volume v = empty_volume({5, 1, 1});
    v.at(0, 0, 0) = 3;
    v.at(2, 0, 0) = 5;
    v.at(4, 0, 0) = 65535;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        auto r = plainfacets(dir, v, c.list);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.status, *c.err ? 1 : 0);
        if (*c.err) EXPECT_EQ(r.out, "");
        else EXPECT_EQ(r.out.substr(0, 6), "solid\n");
    }
}

TEST(Plainfacets, NoSolidObjectWritesNothing) {
    const char* lists[] = {"", ",", "7", "10-20"};
    TempDir dir;
    Volume v = empty_volume({3, 3, 2});
    v.at(1, 1, 1) = 5;
    for (const char* list : lists) {
        SCOPED_TRACE(list);
        auto r = plainfacets(dir, v, list);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "no solid object.\n");
    }
}

TEST(Plainfacets, SmallSliceStaysEmptyOutsideItself) {
    // Slice 1 is 1 x 1 in a 3 x 2 stack; "-" selects label 0 too, but only where pixels exist.
    TempDir dir;
    test::write_tiff(dir.file("a.tif"), 3, 2, {0, 0, 0, 0, 0, 0});
    test::write_tiff(dir.file("b.tif"), 1, 1, {0});
    dir.write("names.txt", "a.tif\nb.tif\n");
    auto r = run_program("plainfacets", {dir.path().string(), dir.file("names.txt"), "-"});
    EXPECT_EQ(r.status, 0);
    Volume v = empty_volume({3, 2, 2});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) v.at(x, y, 0) = 1;
    v.at(0, 0, 1) = 1;
    test::expect_covers_faces(v, r.out);
}

TEST(Plainfacets, TooLargeStackBeforeAnyOutput) {
    // Corners of a 65536-wide stack do not fit the 16-bit outline nodes.
    struct Case {
        const char* desc;
        int width, height;
    };
    const Case cases[] = {{"too wide", 65536, 1}, {"too high", 1, 65536}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TempDir dir;
        test::write_tiff(dir.file("a.tif"), c.width, c.height, std::vector<std::uint16_t>(65536, 1));
        dir.write("names.txt", "a.tif\n");
        auto r = run_program("plainfacets", {dir.path().string(), dir.file("names.txt"), "1"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "too large stack.\n");
    }
}

TEST(Plainfacets, WidestStackPrintsItsLargestCorner) {
    TempDir dir;
    std::vector<std::uint16_t> row(65535, 0);
    row[65534] = 1;
    test::write_tiff(dir.file("a.tif"), 65535, 1, row);
    dir.write("names.txt", "a.tif\n");
    auto r = run_program("plainfacets", {dir.path().string(), dir.file("names.txt"), "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, box_document(65534, 0, 0, 65534, 0, 0));
}

TEST(Plainfacets, RandomStacksCoverEveryExposedFace) {
    std::mt19937 rng(5);
    for (int round = 0; round < 12; ++round) {
        std::uniform_int_distribution<int> size(1, round % 4 == 3 ? 30 : 10);
        Volume v = test::random_volume(rng, {size(rng), size(rng), size(rng)}, 0.2 + 0.05 * round, 4);
        if (v.box().empty()) continue;
        SCOPED_TRACE(::testing::Message() << "round " << round);
        TempDir dir;
        auto r = plainfacets(dir, v, "1-3");
        ASSERT_EQ(r.status, 0) << r.err;
        test::expect_covers_faces(v, r.out);
    }
}

}  // namespace
}  // namespace slicemesh
