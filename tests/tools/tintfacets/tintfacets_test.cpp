#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/binary_stl_reader.h"
#include "tests/support/run_program.h"
#include "tests/support/surface_check.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"
#include "tests/support/voxel_model.h"

namespace slicemesh {
namespace {

using test::parse_binary_stl;
using test::read_file;
using test::run_program;
using test::StlFile;
using test::TempDir;
using test::VoxelModel;

struct Rgb {
    int r, g, b;
};

// A colour table that shows exactly the listed labels, one "v r g b" line each, after
// hiding everything (so label 0 and the unlisted ones are empty).
struct Colours {
    std::map<int, Rgb> shown;

    std::string text() const {
        std::string t = "0 255\n";
        for (const auto& [v, c] : shown)
            t += std::to_string(v) + " " + std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + "\n";
        return t;
    }
    bool solid(std::uint8_t v) const { return shown.count(v) != 0; }
    std::uint16_t word(std::uint8_t v) const {
        const Rgb& c = shown.at(v);
        return static_cast<std::uint16_t>(0x8000 | (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3));
    }
};

// Runs tintfacets on the model; returns the run and the parsed output.
struct TintRun {
    test::ProgramResult result;
    std::string out_path;
};

TintRun tintfacets(const TempDir& dir, const VoxelModel& m, const Colours& colours, std::vector<std::string> units = {}) {
    std::string names = m.write(dir.path().string());
    std::string colour_file = dir.write("colours.txt", colours.text());
    std::string out = dir.file("out.stl");
    std::vector<std::string> args = {dir.path().string(), names, colour_file};
    args.insert(args.end(), units.begin(), units.end());
    args.push_back(out);
    return {run_program("tintfacets", args), out};
}

void check(const StlFile& stl, const VoxelModel& m, const Colours& c, std::array<double, 3> units = {1, 1, 1}) {
    test::check_stl_surface(
        stl, m, [&](std::uint8_t v) { return c.solid(v); }, [&](std::uint8_t v) { return c.word(v); }, units);
}

// Runs tintfacets on the model and checks every facet against its voxels.
void expect_surface_matches(const VoxelModel& m, const Colours& c) {
    TempDir dir;
    TintRun run = tintfacets(dir, m, c);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    check(parse_binary_stl(read_file(run.out_path)), m, c);
}

TEST(Tintfacets, SingleVoxelGivesOneUnitSquarePerDirection) {
    TempDir dir;
    VoxelModel m(4, 5, 6);
    m.at(1, 2, 3) = 7;
    Colours c{{{7, {200, 100, 50}}}};
    TintRun run = tintfacets(dir, m, c);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.err, "");
    StlFile stl = parse_binary_stl(read_file(run.out_path));
    ASSERT_EQ(stl.count, 12u);
    check(stl, m, c);
    // mz comes fifth: plane z = 3, corners (u, v) = (x, y) in the outline's order.
    const test::StlFacet& f = stl.facets[8];
    EXPECT_EQ(f.normal, (std::array<float, 3>{0, 0, -1}));
    EXPECT_EQ(f.vertex, (std::array<std::array<float, 3>, 3>{{{2, 3, 3}, {1, 3, 3}, {2, 2, 3}}}));
    EXPECT_EQ(stl.facets[9].vertex, (std::array<std::array<float, 3>, 3>{{{1, 3, 3}, {2, 2, 3}, {1, 2, 3}}}));
    EXPECT_EQ(f.attribute, 0x8000 | 25 << 10 | 12 << 5 | 6);
}

TEST(Tintfacets, UnitsScaleEachAxisAndKeepTheNormals) {
    VoxelModel m(3, 3, 3);
    m.at(1, 1, 1) = 1;
    m.at(2, 1, 1) = 2;
    Colours c{{{1, {255, 0, 0}}, {2, {0, 0, 255}}}};
    TempDir plain_dir, scaled_dir;
    TintRun plain = tintfacets(plain_dir, m, c);
    TintRun scaled = tintfacets(scaled_dir, m, c, {"2", "-1", "0.5"});
    ASSERT_EQ(plain.result.status, 0) << plain.result.err;
    ASSERT_EQ(scaled.result.status, 0) << scaled.result.err;
    StlFile a = parse_binary_stl(read_file(plain.out_path));
    StlFile b = parse_binary_stl(read_file(scaled.out_path));
    ASSERT_EQ(a.count, b.count);
    for (std::size_t i = 0; i < a.facets.size(); ++i) {
        EXPECT_EQ(a.facets[i].normal, b.facets[i].normal);
        EXPECT_EQ(a.facets[i].attribute, b.facets[i].attribute);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(b.facets[i].vertex[k][0], 2 * a.facets[i].vertex[k][0]);
            EXPECT_EQ(b.facets[i].vertex[k][1], -a.facets[i].vertex[k][1]);
            EXPECT_EQ(b.facets[i].vertex[k][2], 0.5f * a.facets[i].vertex[k][2]);
        }
    }
    check(b, m, c, {2, -1, 0.5});
}

TEST(Tintfacets, SurfaceOfAMixedStackMatchesItsVoxels) {
    // Boxes of several labels that touch, nest and leave holes; label 4 is hidden.
    VoxelModel m(9, 8, 7);
    m.fill(1, 1, 1, 8, 7, 6, 1);
    m.fill(2, 2, 2, 5, 5, 5, 2);
    m.fill(5, 2, 2, 7, 4, 4, 3);
    m.fill(3, 3, 0, 4, 6, 7, 4);
    m.fill(0, 0, 0, 2, 2, 2, 5);
    m.at(6, 6, 3) = 0;
    m.at(4, 1, 5) = 0;
    for (int x = 0; x < 9; x += 2) m.at(x, 7, 6) = 2;  // corner-touching cells stay apart
    Colours c{{{1, {10, 200, 30}}, {2, {250, 250, 0}}, {3, {0, 120, 255}}, {5, {255, 255, 255}}}};
    expect_surface_matches(m, c);
}

TEST(Tintfacets, SurfaceOfAWideStackMatchesItsVoxels) {
    // Wider than 64 voxels, with a solid box off the 64-voxel words: the sweep reads packed
    // solid bits here.
    VoxelModel m(140, 70, 6);
    m.fill(5, 3, 1, 133, 66, 5, 1);
    m.fill(60, 10, 0, 70, 69, 6, 2);
    m.fill(63, 20, 2, 129, 30, 4, 3);
    for (int i = 0; i < 400; ++i) m.at((i * 37) % 140, (i * 11) % 70, i % 6) = static_cast<std::uint8_t>(i % 4);
    Colours c{{{1, {10, 200, 30}}, {2, {250, 250, 0}}, {3, {0, 120, 255}}}};
    expect_surface_matches(m, c);
}

TEST(Tintfacets, EqualColourWordsMergeAndDifferentOnesStayApart) {
    VoxelModel m(2, 1, 1);
    m.at(0, 0, 0) = 1;
    m.at(1, 0, 0) = 2;
    struct Case {
        const char* desc;
        Colours colours;
        std::size_t facets;
    };
    const Case cases[] = {
        // Low bits differ, words agree: each long face is one 2 x 1 rectangle; the end
        // faces (mx, px) are unit squares either way.
        {"same word", {{{1, {200, 100, 50}}, {2, {201, 102, 55}}}}, 2 * 2 + 4 * 2},
        {"different words", {{{1, {200, 100, 50}}, {2, {50, 100, 200}}}}, 2 * 2 + 4 * 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.desc);
        TempDir dir;
        TintRun run = tintfacets(dir, m, k.colours);
        ASSERT_EQ(run.result.status, 0) << run.result.err;
        StlFile stl = parse_binary_stl(read_file(run.out_path));
        EXPECT_EQ(stl.count, k.facets);
        check(stl, m, k.colours);
    }
}

TEST(Tintfacets, SmallerSlicesArePaddedWithLabelZero) {
    TempDir dir;
    // Slice 0 is 3 x 2, slice 1 only 1 x 1: the stack is 3 x 2 x 2.
    test::write_tiff(dir.file("a.tif"), 3, 2, {0, 1, 0, 1, 1, 0});
    test::write_tiff(dir.file("b.tif"), 1, 1, {1});
    std::string names = dir.write("names.txt", "a.tif\nb.tif\n");
    VoxelModel m(3, 2, 2);
    m.labels = {0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0};
    for (bool zero_shown : {false, true}) {
        SCOPED_TRACE(zero_shown ? "label 0 shown" : "label 0 hidden");
        Colours c{{{1, {255, 0, 0}}}};
        if (zero_shown) c.shown[0] = {0, 255, 0};
        std::string colour_file = dir.write("colours.txt", c.text());
        std::string out = dir.file("out.stl");
        auto r = run_program("tintfacets", {dir.path().string(), names, colour_file, out});
        ASSERT_EQ(r.status, 0) << r.err;
        check(parse_binary_stl(read_file(out)), m, c);
    }
}

TEST(Tintfacets, NoShownLabelCreatesNoFile) {
    TempDir dir;
    VoxelModel m(2, 2, 2);
    m.at(0, 0, 0) = 3;
    TintRun run = tintfacets(dir, m, Colours{{{4, {1, 2, 3}}}});
    EXPECT_EQ(run.result.status, 1);
    EXPECT_EQ(run.result.err, "no solid object.\n");
    EXPECT_FALSE(std::filesystem::exists(run.out_path));
}

TEST(Tintfacets, StacksBeyond32767VoxelsAreRefusedBeforeAnyOutput) {
    TempDir dir;
    struct Case {
        const char* desc;
        int width, height, count;
    };
    const Case cases[] = {
        {"wide", 32768, 1, 1},
        {"high", 1, 32768, 1},
        {"long", 1, 1, 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::vector<std::uint16_t> samples(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height), 1);
        test::write_tiff(dir.file("s.tif"), c.width, c.height, samples);
        std::string names;
        for (int z = 0; z < c.count; ++z) names += "s.tif\n";
        std::string name_file = dir.write("names.txt", names);
        std::string colour_file = dir.write("colours.txt", "1 255 255 255\n");
        std::string out = dir.file("out.stl");
        auto r = run_program("tintfacets", {dir.path().string(), name_file, colour_file, out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "too large stack.\n");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(Tintfacets, LargestAllowedExtentWorks) {
    TempDir dir;
    std::vector<std::uint16_t> samples(32767, 0);
    samples[32766] = 1;
    test::write_tiff(dir.file("s.tif"), 32767, 1, samples);
    std::string names = dir.write("names.txt", "s.tif\n");
    std::string colour_file = dir.write("colours.txt", "1 255 255 255\n");
    std::string out = dir.file("out.stl");
    auto r = run_program("tintfacets", {dir.path().string(), names, colour_file, out});
    ASSERT_EQ(r.status, 0) << r.err;
    StlFile stl = parse_binary_stl(read_file(out));
    EXPECT_EQ(stl.count, 12u);
    EXPECT_EQ(stl.facets[0].vertex[0][0], 32766.0f);  // mx
    EXPECT_EQ(stl.facets[2].vertex[0][0], 32767.0f);  // px
}

// One solid voxel in dir: the stack directory, its name file and a colour file.
struct OneVoxel {
    std::string stack, names, colours;
};
OneVoxel one_voxel(const TempDir& dir) {
    VoxelModel m(1, 1, 1);
    m.at(0, 0, 0) = 1;
    return {dir.path().string(), m.write(dir.path().string()), dir.write("colours.txt", "1 9 9 9\n")};
}

TEST(Tintfacets, Errors) {
    TempDir dir;
    const auto [stack, names, colours] = one_voxel(dir);
    struct Case {
        const char* desc;
        std::vector<std::string> args;
        std::string err;
    };
    const std::string usage = "usage : tintfacets directory nameFile colorFile {unitX unitY unitZ} STL\n";
    const Case cases[] = {
        {"no arguments", {}, usage},
        {"three", {stack, names, colours}, usage},
        {"five", {stack, names, colours, "1", dir.file("o.stl")}, usage},
        {"six", {stack, names, colours, "1", "1", dir.file("o.stl")}, usage},
        {"eight", {stack, names, colours, "1", "1", "1", dir.file("o.stl"), "x"}, usage},
        {"output directory missing", {stack, names, colours, dir.file("no/dir/o.stl")}, "STL file not open.\n"},
        {"bad colour table", {stack, names, dir.write("bad.txt", "1 2 3\n"), dir.file("o.stl")},
         "bad color parameter.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        auto r = run_program("tintfacets", c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    if (std::filesystem::exists("/dev/full")) {
        auto r = run_program("tintfacets", {stack, names, colours, "/dev/full"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "STL header write error.\n");
    }
}

TEST(Tintfacets, OutputNameIsTheLastArgumentInBothForms) {
    TempDir dir;
    const auto [stack, names, colours] = one_voxel(dir);
    ASSERT_EQ(run_program("tintfacets", {stack, names, colours, dir.file("four.stl")}).status, 0);
    ASSERT_EQ(run_program("tintfacets", {stack, names, colours, "1", "1", "1", dir.file("seven.stl")}).status, 0);
    EXPECT_EQ(read_file(dir.file("four.stl")), read_file(dir.file("seven.stl")));
    EXPECT_EQ(read_file(dir.file("four.stl")).size(), 84u + 12u * 50u);
}

}  // namespace
}  // namespace slicemesh
