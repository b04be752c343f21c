#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "stl/face_direction.h"
#include "tests/support/binary_stl_reader.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace slicemesh {
namespace {

using test::parse_binary_stl;
using test::read_file;
using test::run_program;
using test::StlFile;
using test::TempDir;

// One "_m" record: corners (u, v) x 3 and plane, then red, green, blue and the pad byte.
std::string m_record(std::array<std::uint16_t, 7> values, std::array<std::uint8_t, 3> rgb = {0, 0, 0},
                     std::uint8_t pad = 0) {
    std::string r;
    for (std::uint16_t v : values) {
        r += static_cast<char>(v & 0xFF);
        r += static_cast<char>(v >> 8);
    }
    for (std::uint8_t c : rgb) r += static_cast<char>(c);
    r += static_cast<char>(pad);
    return r;
}

// Writes the six face files of base "set" and returns the base.
std::string write_set(const TempDir& dir, const std::array<std::string, 6>& files) {
    for (Direction d : all_directions)
        dir.write("set." + std::string(suffix(d)) + "_m", files[static_cast<std::size_t>(index_of(d))]);
    return dir.file("set");
}

// The colour word, computed here from its bit layout.
std::uint16_t word(int r, int g, int b) { return static_cast<std::uint16_t>(0x8000 + (r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3)); }

TEST(Tintconvert, EachDirectionMapsAndScalesCorners) {
    struct Case {
        const char* desc;
        Direction d;
        std::array<float, 3> normal;
        std::array<float, 9> integer;  // corners (1, 2) (65535, 4) (5, 6) in plane 7
        std::array<float, 9> scaled;   // with units 2 -0.5 0.25
    };
    const Case cases[] = {
        {"mx", Direction::mx, {-1, 0, 0}, {7, 1, 2, 7, 65535, 4, 7, 5, 6}, {14, -0.5, 0.5, 14, -32767.5, 1, 14, -2.5, 1.5}},
        {"px", Direction::px, {1, 0, 0}, {7, 1, 2, 7, 65535, 4, 7, 5, 6}, {14, -0.5, 0.5, 14, -32767.5, 1, 14, -2.5, 1.5}},
        {"my", Direction::my, {0, -1, 0}, {2, 7, 1, 4, 7, 65535, 6, 7, 5}, {4, -3.5, 0.25, 8, -3.5, 16383.75, 12, -3.5, 1.25}},
        {"py", Direction::py, {0, 1, 0}, {2, 7, 1, 4, 7, 65535, 6, 7, 5}, {4, -3.5, 0.25, 8, -3.5, 16383.75, 12, -3.5, 1.25}},
        {"mz", Direction::mz, {0, 0, -1}, {1, 2, 7, 65535, 4, 7, 5, 6, 7}, {2, -1, 1.75, 131070, -2, 1.75, 10, -3, 1.75}},
        {"pz", Direction::pz, {0, 0, 1}, {1, 2, 7, 65535, 4, 7, 5, 6, 7}, {2, -1, 1.75, 131070, -2, 1.75, 10, -3, 1.75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TempDir dir;
        std::array<std::string, 6> files;
        files[static_cast<std::size_t>(index_of(c.d))] = m_record({1, 2, 65535, 4, 5, 6, 7}, {200, 100, 50});
        std::string base = write_set(dir, files);
        for (bool units : {false, true}) {
            std::string out = dir.file(units ? "scaled.stl" : "plain.stl");
            std::vector<std::string> args = units ? std::vector<std::string>{base, "2", "-0.5", "0.25", out}
                                                  : std::vector<std::string>{base, out};
            auto r = run_program("tintconvert", args);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, "");
            StlFile stl = parse_binary_stl(read_file(out));
            EXPECT_EQ(stl.header, std::string(80, '\0'));
            ASSERT_EQ(stl.count, 1u);
            EXPECT_EQ(stl.facets[0].normal, c.normal);
            const std::array<float, 9>& want = units ? c.scaled : c.integer;
            for (std::size_t k = 0; k < 9; ++k) EXPECT_EQ(stl.facets[0].vertex[k / 3][k % 3], want[k]) << k;
            EXPECT_EQ(stl.facets[0].attribute, word(200, 100, 50));
        }
    }
}

TEST(Tintconvert, FacetsFollowFileOrderThenRecordOrder) {
    TempDir dir;
    std::array<std::string, 6> files;
    files[5] = m_record({0, 0, 1, 0, 1, 1, 9}, {255, 255, 255});
    files[0] = m_record({0, 0, 1, 0, 1, 1, 3}, {255, 0, 0}) + m_record({9, 9, 8, 8, 7, 7, 0}, {0, 0, 255});
    files[3] = m_record({2, 2, 3, 2, 2, 3, 4}, {7, 7, 7});
    std::string out = dir.file("out.stl");
    auto r = run_program("tintconvert", {write_set(dir, files), out});
    ASSERT_EQ(r.status, 0) << r.err;
    StlFile stl = parse_binary_stl(read_file(out));
    ASSERT_EQ(stl.count, 4u);
    std::vector<std::uint16_t> words;
    std::vector<int> directions;
    for (const auto& f : stl.facets) {
        words.push_back(f.attribute);
        directions.push_back(test::normal_direction(f));
    }
    EXPECT_EQ(words, (std::vector<std::uint16_t>{0xFC00, 0x801F, 0x8000, 0xFFFF}));
    EXPECT_EQ(directions, (std::vector<int>{0, 0, 3, 5}));
    EXPECT_EQ(stl.facets[1].vertex[0][1], 9.0f);
}

TEST(Tintconvert, EmptySetGives84ZeroBytes) {
    TempDir dir;
    std::string out = dir.file("out.stl");
    auto r = run_program("tintconvert", {write_set(dir, {}), out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(out), std::string(84, '\0'));
}

TEST(Tintconvert, PadByteHasNoEffect) {
    TempDir a, b;
    std::array<std::string, 6> zero, junk;
    zero[2] = m_record({1, 2, 3, 4, 5, 6, 7}, {10, 20, 30}, 0);
    junk[2] = m_record({1, 2, 3, 4, 5, 6, 7}, {10, 20, 30}, 0xA5);
    ASSERT_EQ(run_program("tintconvert", {write_set(a, zero), a.file("o.stl")}).status, 0);
    ASSERT_EQ(run_program("tintconvert", {write_set(b, junk), b.file("o.stl")}).status, 0);
    EXPECT_EQ(read_file(a.file("o.stl")), read_file(b.file("o.stl")));
}

TEST(Tintconvert, DashWritesToStandardOutput) {
    TempDir dir;
    std::array<std::string, 6> files;
    files[4] = m_record({0, 0, 1, 0, 0, 1, 2}, {1, 2, 3});
    std::string base = write_set(dir, files);
    std::string file = dir.file("o.stl");
    ASSERT_EQ(run_program("tintconvert", {base, file}).status, 0);
    auto r = run_program("tintconvert", {base, "-"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, read_file(file));
    auto scaled = run_program("tintconvert", {base, "1", "1", "1", "-anything"});
    EXPECT_EQ(scaled.out, read_file(file));
}

TEST(Tintconvert, BadInputIsReportedBeforeAnyOutputExists) {
    struct Case {
        const char* desc;
        Direction bad;
        std::string contents;  // of the bad face file; empty with missing = true
        bool missing;
        const char* message;
    };
    const std::string record = m_record({1, 2, 3, 4, 5, 6, 7});
    const Case cases[] = {
        {"17 bytes", Direction::my, record.substr(0, 17), false, " : bad number of trigons.\n"},
        {"19 bytes", Direction::mx, record + "x", false, " : bad number of trigons.\n"},
        {"missing pz", Direction::pz, "", true, " : VM file not found.\n"},
        {"missing mx", Direction::mx, "", true, " : VM file not found.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        TempDir dir;
        std::array<std::string, 6> files;
        files.fill(record);
        files[static_cast<std::size_t>(index_of(c.bad))] = c.contents;
        std::string base = write_set(dir, files);
        std::string name = base + "." + std::string(suffix(c.bad)) + "_m";
        if (c.missing) std::filesystem::remove(name);
        std::string out = dir.file("out.stl");
        auto r = run_program("tintconvert", {base, out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, name + c.message);
        EXPECT_FALSE(std::filesystem::exists(out));
        auto to_stdout = run_program("tintconvert", {base, "-"});
        EXPECT_EQ(to_stdout.out, "");
    }
}

TEST(Tintconvert, OutputErrors) {
    TempDir dir;
    std::string base = write_set(dir, {m_record({1, 2, 3, 4, 5, 6, 7})});
    auto not_open = run_program("tintconvert", {base, dir.file("no/such/dir/out.stl")});
    EXPECT_EQ(not_open.status, 1);
    EXPECT_EQ(not_open.err, "STL file not open.\n");
    if (std::filesystem::exists("/dev/full")) {
        auto full = run_program("tintconvert", {base, "/dev/full"});
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err, "STL header write error.\n");
    }
}

TEST(Tintconvert, LongBaseNamesWork) {
    TempDir dir;
    std::string base = (test::long_directory(dir) / "set").string();
    for (Direction d : all_directions) TempDir::write_at(base + "." + std::string(suffix(d)) + "_m", "");
    auto r = run_program("tintconvert", {base, "-"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(84, '\0'));

    std::string too_long = dir.file(std::string(300, 'n'));
    auto bad = run_program("tintconvert", {too_long, "-"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, too_long + ".mx_m : VM file not found.\n");
}

TEST(Tintconvert, MoreTrigonsThanTheCountFieldHoldsAreRefused) {
    TempDir dir;
    std::string base = write_set(dir, {});
    // Sparse files: 2^31 trigons each, so the sum passes 2^32 - 1 at py.
    try {
        for (const char* s : {"my", "py"})
            std::filesystem::resize_file(base + "." + s + "_m", std::uintmax_t{18} << 31);
    } catch (const std::filesystem::filesystem_error&) {
        GTEST_SKIP() << "no sparse files here";
    }
    std::string out = dir.file("out.stl");
    auto r = run_program("tintconvert", {base, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, base + ".py_m : bad number of trigons.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(Tintconvert, UsageOnAnyOtherArgumentCount) {
    for (int n : {0, 1, 3, 4, 6}) {
        SCOPED_TRACE(n);
        auto r = run_program("tintconvert", std::vector<std::string>(static_cast<std::size_t>(n), "x"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "usage : tintconvert VM {unitX unitY unitZ} STL\n");
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace slicemesh
