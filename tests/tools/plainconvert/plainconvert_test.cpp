#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "stl/face_direction.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace slicemesh {
namespace {

using test::run_program;
using test::TempDir;

// One "_s" record: corners (u, v) x 3, plane, two bytes of filler.
std::string s_record(std::array<std::uint16_t, 7> values, std::uint16_t filler = 0) {
    std::string r;
    for (std::uint16_t v : values) {
        r += static_cast<char>(v & 0xFF);
        r += static_cast<char>(v >> 8);
    }
    r += static_cast<char>(filler & 0xFF);
    r += static_cast<char>(filler >> 8);
    return r;
}

std::string facet(const char* normal, std::array<int, 9> xyz) {
    std::string s = std::string("facet normal ") + normal + "\nouter loop\n";
    for (int k = 0; k < 3; ++k)
        s += "vertex " + std::to_string(xyz[3 * k]) + " " + std::to_string(xyz[3 * k + 1]) + " " +
             std::to_string(xyz[3 * k + 2]) + "\n";
    return s + "endloop\nendfacet\n";
}

// Writes the six face files of base "set", with the given contents per direction.
std::string write_set(const TempDir& dir, const std::array<std::string, 6>& files) {
    for (Direction d : all_directions)
        dir.write("set." + std::string(suffix(d)) + "_s", files[static_cast<std::size_t>(index_of(d))]);
    return dir.file("set");
}

struct DirectionCase {
    const char* desc;
    Direction direction;
    const char* normal;
    std::array<int, 9> vertices;  // for corners (1,2) (65535,4) (5,6) in plane 7
};

TEST(Plainconvert, EachDirectionMapsCornersAndPlane) {
    const DirectionCase cases[] = {
        {"mx", Direction::mx, "-1 0 0", {7, 1, 2, 7, 65535, 4, 7, 5, 6}},
        {"px", Direction::px, "1 0 0", {7, 1, 2, 7, 65535, 4, 7, 5, 6}},
        {"my", Direction::my, "0 -1 0", {2, 7, 1, 4, 7, 65535, 6, 7, 5}},
        {"py", Direction::py, "0 1 0", {2, 7, 1, 4, 7, 65535, 6, 7, 5}},
        {"mz", Direction::mz, "0 0 -1", {1, 2, 7, 65535, 4, 7, 5, 6, 7}},
        {"pz", Direction::pz, "0 0 1", {1, 2, 7, 65535, 4, 7, 5, 6, 7}},
    };
    for (const DirectionCase& c : cases) {
        SCOPED_TRACE(c.desc);
        TempDir dir;
        std::array<std::string, 6> files;
        files[static_cast<std::size_t>(index_of(c.direction))] = s_record({1, 2, 65535, 4, 5, 6, 7});
        auto r = run_program("plainconvert", {write_set(dir, files)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "solid\n" + facet(c.normal, c.vertices) + "endsolid\n");
    }
}

TEST(Plainconvert, FilesAreReadInDirectionOrderAndRecordOrder) {
    TempDir dir;
    std::array<std::string, 6> files;
    files[5] = s_record({0, 0, 1, 0, 1, 1, 65535});
    files[0] = s_record({0, 0, 1, 0, 1, 1, 3}) + s_record({9, 9, 8, 8, 7, 7, 0});
    auto r = run_program("plainconvert", {write_set(dir, files)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "solid\n" + facet("-1 0 0", {3, 0, 0, 3, 1, 0, 3, 1, 1}) +
                         facet("-1 0 0", {0, 9, 9, 0, 8, 8, 0, 7, 7}) +
                         facet("0 0 1", {0, 0, 65535, 1, 0, 65535, 1, 1, 65535}) + "endsolid\n");
}

TEST(Plainconvert, EmptySetGivesEmptyDocument) {
    TempDir dir;
    auto r = run_program("plainconvert", {write_set(dir, {})});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "solid\nendsolid\n");
}

TEST(Plainconvert, PartialRecordsAndFillerBytesAreIgnored) {
    TempDir dir;
    std::string record = s_record({1, 2, 3, 4, 5, 6, 7});
    std::array<std::string, 6> a, b;
    a[2] = record + "x";                 // 17 bytes: one facet
    a[3] = record.substr(0, 15);         // 15 bytes: none
    b[2] = s_record({1, 2, 3, 4, 5, 6, 7}, 0xBEEF);
    TempDir other;
    auto ra = run_program("plainconvert", {write_set(dir, a)});
    auto rb = run_program("plainconvert", {write_set(other, b)});
    EXPECT_EQ(ra.status, 0);
    EXPECT_EQ(ra.out, "solid\n" + facet("0 -1 0", {2, 7, 1, 4, 7, 3, 6, 7, 5}) + "endsolid\n");
    EXPECT_EQ(rb.out, ra.out);
}

TEST(Plainconvert, MissingFaceFileKeepsTheDocumentSoFar) {
    TempDir dir;
    std::array<std::string, 6> files;
    files[0] = s_record({0, 0, 1, 0, 1, 1, 2});
    std::string base = write_set(dir, files);
    std::filesystem::remove(base + ".py_s");
    auto r = run_program("plainconvert", {base});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, base + ".py_s : VM file not found.\n");
    EXPECT_EQ(r.out, "solid\n" + facet("-1 0 0", {2, 0, 0, 2, 1, 0, 2, 1, 1}));
}

TEST(Plainconvert, LongBaseNamesWork) {
    TempDir dir;
    std::filesystem::path deep = dir.path();
    // Deeper than the 1024 bytes a fixed name buffer would hold.
    for (int i = 0; i < 12; ++i) deep /= std::string(100, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    std::string base = (deep / "set").string();
    for (Direction d : all_directions) test::TempDir::write_at(base + "." + std::string(suffix(d)) + "_s", "");
    auto r = run_program("plainconvert", {base});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "solid\nendsolid\n");

    std::string too_long = dir.file(std::string(300, 'n'));  // a name the file system refuses
    auto bad = run_program("plainconvert", {too_long});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, too_long + ".mx_s : VM file not found.\n");
}

TEST(Plainconvert, FullDiskIsAFailure) {
    TempDir dir;
    std::array<std::string, 6> files;
    files[0] = s_record({0, 0, 1, 0, 1, 1, 2});
    std::string base = write_set(dir, files);
    auto r = run_program("/bin/sh", {"-c", "exec \"$0\" \"$1\" > /dev/full", test::program_path("plainconvert"), base});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "STL data write error.\n");
}

TEST(Plainconvert, UsageOnAnyOtherArgumentCount) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"a", "b"},
          std::vector<std::string>{"a", "b", "c"}}) {
        auto r = run_program("plainconvert", args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "usage : plainconvert VM\n");
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace slicemesh
