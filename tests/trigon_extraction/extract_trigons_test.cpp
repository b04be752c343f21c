#include "tools/meshview/extract_trigons.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "slicein/slice_list.h"
#include "tests/support/fatal_text.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"
#include "tests/support/voxel_model.h"
#include "vm/face_files.h"

namespace slicemesh {
namespace {

using test::fatal_text;
using test::read_file;
using test::run_program;
using test::TempDir;
using test::VoxelModel;

struct Rgb {
    std::uint8_t r, g, b;
};

// Shows exactly the listed labels; the same table goes to extract_trigons in memory and
// to tintfacets as a file.
ColourTable table(const std::map<int, Rgb>& shown) {
    ColourTable t;
    for (const auto& [v, c] : shown) {
        std::size_t i = static_cast<std::size_t>(v);
        t.shown[i] = 1;
        t.red[i] = c.r;
        t.green[i] = c.g;
        t.blue[i] = c.b;
    }
    return t;
}

std::string table_text(const std::map<int, Rgb>& shown) {
    std::string text = "0 255\n";
    for (const auto& [v, c] : shown)
        text += std::to_string(v) + " " + std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + "\n";
    return text;
}

int key(const Rgb& c) { return c.r | c.g << 8 | c.b << 16; }

// A stack written to dir, and its slice list.
SliceList stack(const TempDir& dir, const VoxelModel& m) {
    std::string names = m.write(dir.path().string());
    return read_slice_list(dir.path().string(), names, SampleForm::bits8);
}

VoxelModel mixed_model() {
    VoxelModel m(7, 6, 5);
    m.fill(1, 1, 1, 6, 5, 4, 1);
    m.fill(2, 2, 0, 4, 4, 5, 2);
    m.fill(4, 1, 1, 7, 3, 3, 3);
    m.at(5, 4, 2) = 0;
    m.at(0, 0, 0) = 2;
    m.at(1, 5, 4) = 9;  // not shown
    return m;
}

const std::map<int, Rgb> mixed_colours = {{1, {200, 40, 40}}, {2, {40, 200, 40}}, {3, {40, 40, 200}}};

std::string bytes_of(const TrigonList& list) {
    return std::string(reinterpret_cast<const char*>(list.records.data()), list.records.size() * trigon_size);
}

TEST(ExtractTrigons, MemoryAndFileSetGiveTheSameTrigons) {
    TempDir dir;
    VoxelModel m = mixed_model();
    SliceList list = stack(dir, m);
    TrigonLists in_memory, from_files;
    bool grey = true;
    extract_trigons(list, table(mixed_colours), std::nullopt, in_memory, grey);
    std::string base = dir.file("obj");
    extract_trigons(list, table(mixed_colours), base, from_files, grey);
    for (Direction d : all_directions) {
        SCOPED_TRACE(suffix(d));
        const std::size_t i = static_cast<std::size_t>(index_of(d));
        EXPECT_GT(in_memory[i].count, 0u);
        EXPECT_EQ(in_memory[i].count, in_memory[i].records.size());
        EXPECT_EQ(from_files[i].count, from_files[i].records.size());
        EXPECT_EQ(bytes_of(from_files[i]), bytes_of(in_memory[i]));
        EXPECT_EQ(read_file(face_file_name(base, d, 'm')), bytes_of(in_memory[i]));
    }
}

TEST(ExtractTrigons, TrigonsCoverTheExposedFacesInTheirColours) {
    TempDir dir;
    VoxelModel m = mixed_model();
    TrigonLists lists;
    bool grey = true;
    extract_trigons(stack(dir, m), table(mixed_colours), std::nullopt, lists, grey);
    std::map<std::tuple<int, int>, double> area;
    for (Direction d : all_directions) {
        const int di = index_of(d);
        for (const TrigonRecord& r : lists[static_cast<std::size_t>(di)].records) {
            PlaneTriangle t = decode_plane_triangle(r.data(), d);
            TrigonColour c = trigon_colour(r.data());
            EXPECT_EQ(r[17], 0);
            std::array<std::array<double, 3>, 3> v;
            for (std::size_t k = 0; k < 3; ++k) {
                std::array<int, 3> xyz = corner_xyz<int>(d, t.plane, t.u[k], t.v[k]);
                for (std::size_t a = 0; a < 3; ++a) v[k][a] = xyz[a];
            }
            std::array<double, 3> centroid;
            for (std::size_t a = 0; a < 3; ++a) centroid[a] = (v[0][a] + v[1][a] + v[2][a]) / 3;
            std::array<int, 3> behind = test::voxel_behind(di, t.plane, centroid);
            ASSERT_TRUE(m.inside(behind[0], behind[1], behind[2]));
            const Rgb& want = mixed_colours.at(m.at(behind[0], behind[1], behind[2]));
            EXPECT_EQ(key({c.red, c.green, c.blue}), key(want));
            double cross = (t.u[1] - t.u[0]) * (t.v[2] - t.v[0]) - (t.v[1] - t.v[0]) * (t.u[2] - t.u[0]);
            EXPECT_NE(cross, 0.0);
            area[{di, key({c.red, c.green, c.blue})}] += std::fabs(cross) / 2;
        }
    }
    auto solid = [](std::uint8_t v) { return mixed_colours.count(v) != 0; };
    auto colour = [](std::uint8_t v) { return key(mixed_colours.at(v)); };
    EXPECT_EQ(area, test::exposed_faces<int>(m, solid, colour));
}

TEST(ExtractTrigons, SingleVoxelGivesOneUnitSquareInEachFile) {
    TempDir dir;
    VoxelModel m(3, 4, 5);
    m.at(2, 1, 3) = 4;
    TrigonLists lists;
    bool grey = true;
    std::string base = dir.file("obj");
    extract_trigons(stack(dir, m), table({{4, {9, 8, 7}}}), base, lists, grey);
    const int planes[6] = {2, 3, 1, 2, 3, 4};
    for (Direction d : all_directions) {
        SCOPED_TRACE(suffix(d));
        const TrigonList& l = lists[static_cast<std::size_t>(index_of(d))];
        ASSERT_EQ(l.count, 2u);
        for (const TrigonRecord& r : l.records) {
            EXPECT_EQ(decode_plane_triangle(r.data(), d).plane, planes[index_of(d)]);
            EXPECT_EQ(key({r[14], r[15], r[16]}), key({9, 8, 7}));
        }
        EXPECT_EQ(std::filesystem::file_size(face_file_name(base, d, 'm')), 36u);
    }
    // The outline's order for one cell (u, v) = (x, y) = (2, 1) in the z planes.
    PlaneTriangle first = decode_plane_triangle(lists[4].records[0].data(), Direction::mz);
    EXPECT_EQ(first.u, (std::array<std::uint16_t, 3>{3, 2, 3}));
    EXPECT_EQ(first.v, (std::array<std::uint16_t, 3>{2, 2, 1}));
}

TEST(ExtractTrigons, LabelsOfEqualColourMerge) {
    TempDir dir;
    VoxelModel m(2, 1, 1);
    m.at(0, 0, 0) = 1;
    m.at(1, 0, 0) = 2;
    struct Case {
        const char* desc;
        std::map<int, Rgb> colours;
        std::size_t mz_trigons;
    };
    const Case cases[] = {
        {"same colour", {{1, {5, 5, 5}}, {2, {5, 5, 5}}}, 2},
        {"colours differ in one bit", {{1, {5, 5, 5}}, {2, {5, 5, 4}}}, 4},
    };
    SliceList list = stack(dir, m);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TrigonLists lists;
        bool grey = true;
        extract_trigons(list, table(c.colours), std::nullopt, lists, grey);
        EXPECT_EQ(lists[4].count, c.mz_trigons);
        EXPECT_EQ(lists[0].count, 2u);  // no face between the two solid voxels
    }
}

TEST(ExtractTrigons, GreyModeIsClearedOnlyByShownLabelsThatOccur) {
    VoxelModel m(3, 3, 3);
    m.fill(0, 0, 0, 3, 3, 3, 1);
    m.at(1, 1, 1) = 2;  // hidden inside label 1
    m.at(0, 0, 0) = 3;
    struct Case {
        const char* desc;
        std::map<int, Rgb> colours;
        bool grey_before;
        bool grey_after;
    };
    const Case cases[] = {
        {"all grey", {{1, {7, 7, 7}}, {2, {200, 200, 200}}, {3, {0, 0, 0}}}, true, true},
        {"coloured label inside the object", {{1, {7, 7, 7}}, {2, {200, 200, 201}}, {3, {0, 0, 0}}}, true, false},
        {"coloured label not shown", {{1, {7, 7, 7}}, {3, {0, 0, 0}}}, true, true},
        {"coloured label shown but absent", {{1, {7, 7, 7}}, {3, {0, 0, 0}}, {8, {1, 2, 3}}}, true, true},
        {"never set again", {{1, {7, 7, 7}}}, false, false},
    };
    TempDir dir;
    SliceList list = stack(dir, m);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TrigonLists lists;
        bool grey = c.grey_before;
        ColourTable t = table(c.colours);
        if (c.colours.count(2) == 0) {  // label 2 coloured but hidden
            t.red[2] = 255;
            t.green[2] = 0;
        }
        extract_trigons(list, t, std::nullopt, lists, grey);
        EXPECT_EQ(grey, c.grey_after);
    }
}

TEST(ExtractTrigons, SmallerSlicesArePaddedWithLabelZero) {
    TempDir dir;
    test::write_tiff(dir.file("a.tif"), 2, 2, {1, 1, 1, 1});
    test::write_tiff(dir.file("b.tif"), 1, 1, {1});
    std::string names = dir.write("names.txt", "a.tif\nb.tif\n");
    SliceList list = read_slice_list(dir.path().string(), names, SampleForm::bits8);
    for (bool zero_shown : {false, true}) {
        SCOPED_TRACE(zero_shown ? "0 shown" : "0 hidden");
        std::map<int, Rgb> colours = {{1, {1, 1, 1}}};
        if (zero_shown) colours[0] = {1, 1, 1};
        TrigonLists lists;
        bool grey = true;
        extract_trigons(list, table(colours), std::nullopt, lists, grey);
        // With 0 shown the padded 2 x 2 x 2 box is one cube: one square per direction.
        // Otherwise slice 1 keeps one voxel, whose pz face sits above the 2 x 2 slab's.
        EXPECT_EQ(lists[5].count, zero_shown ? 2u : 4u + 2u);
    }
}

TEST(ExtractTrigons, FailuresComeBeforeAnyFaceFile) {
    TempDir dir;
    struct Case {
        const char* desc;
        int width, height, count;
        std::map<int, Rgb> colours;
        const char* message;
    };
    const Case cases[] = {
        {"nothing shown", 2, 2, 2, {{5, {1, 2, 3}}}, "no solid object.\n"},
        {"wider than 32767", 32768, 1, 1, {{1, {1, 2, 3}}}, "too large stack.\n"},
        {"higher than 32767", 1, 32768, 1, {{1, {1, 2, 3}}}, "too large stack.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        VoxelModel m(c.width, c.height, c.count);
        m.labels.assign(m.labels.size(), 1);
        SliceList list = stack(dir, m);
        TrigonLists lists;
        bool grey = true;
        std::string base = dir.file("obj");
        EXPECT_EQ(fatal_text([&] { extract_trigons(list, table(c.colours), base, lists, grey); }), c.message);
        for (Direction d : all_directions) EXPECT_FALSE(std::filesystem::exists(face_file_name(base, d, 'm')));
    }
}

TEST(ExtractTrigons, ConvertedFileSetEqualsTintfacetsByteForByte) {
    TempDir dir;
    VoxelModel m = mixed_model();
    m.fill(0, 3, 3, 3, 6, 5, 4);
    // Distinct colour words, so tintfacets merges exactly what the colour keys merge.
    const std::map<int, Rgb> colours = {{1, {200, 40, 40}}, {2, {40, 200, 40}}, {3, {40, 40, 200}}, {4, {255, 255, 0}}};
    SliceList list = stack(dir, m);
    std::string base = dir.file("obj");
    TrigonLists lists;
    bool grey = true;
    extract_trigons(list, table(colours), base, lists, grey);
    std::string converted = dir.file("converted.stl"), direct = dir.file("direct.stl");
    std::string colour_file = dir.write("colours.txt", table_text(colours));
    for (bool units : {false, true}) {
        SCOPED_TRACE(units ? "with units" : "without units");
        std::vector<std::string> scale = units ? std::vector<std::string>{"0.5", "-3", "1.25"} : std::vector<std::string>{};
        std::vector<std::string> a = {base};
        a.insert(a.end(), scale.begin(), scale.end());
        a.push_back(converted);
        std::vector<std::string> b = {dir.path().string(), dir.file("names.txt"), colour_file};
        b.insert(b.end(), scale.begin(), scale.end());
        b.push_back(direct);
        auto ra = run_program("tintconvert", a);
        auto rb = run_program("tintfacets", b);
        ASSERT_EQ(ra.status, 0) << ra.err;
        ASSERT_EQ(rb.status, 0) << rb.err;
        std::string bytes = read_file(direct);
        EXPECT_GT(bytes.size(), 84u);
        EXPECT_EQ(read_file(converted), bytes);
    }
}

}  // namespace
}  // namespace slicemesh
