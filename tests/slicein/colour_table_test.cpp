// The colour table: defaults, the five line forms, gradients in exact integers, the three
// format errors in their order, and a table on standard input that leaves the rest of
// the stream unread.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "slicein/colour_table.h"
#include "tests/support/fatal_text.h"
#include "tests/support/temp_dir.h"

namespace slicemesh {
namespace {

struct Entry {
    int value;
    int shown, red, green, blue;
};

struct TableCase {
    const char* desc;
    std::string text;
    std::string error;           // empty: the table is read
    std::vector<Entry> entries;  // entries to check
};

const Entry hidden0{0, 0, 0, 0, 0};
const Entry white1{1, 1, 255, 255, 255};
const Entry white255{255, 1, 255, 255, 255};

std::vector<TableCase> table_cases() {
    const std::string param = "bad color parameter.\n", range = "bad pixel value range.\n", rgb = "bad RGB value.\n";
    return {
        {"empty file: the defaults", "", "", {hidden0, white1, white255}},
        {"a blank first line ends the table", "\n5\n", "", {hidden0, {5, 1, 255, 255, 255}}},
        {"a line of white space ends the table", " \t \n5\n", "", {{5, 1, 255, 255, 255}}},
        {"gradient 0 to 128 from black to white", "0 128 0 0 0 255 255 255\n", "",
         {{0, 1, 0, 0, 0}, {64, 1, 127, 127, 127}, {128, 1, 255, 255, 255}, {129, 1, 255, 255, 255}}},
        {"hide one value", "10\n", "", {{10, 0, 255, 255, 255}, {11, 1, 255, 255, 255}}},
        {"text after the numbers is ignored", "10 # hidden\n", "", {{10, 0, 255, 255, 255}}},
        {"hide a range", "3 5\n", "", {{2, 1, 255, 255, 255}, {3, 0, 255, 255, 255}, {5, 0, 255, 255, 255}}},
        {"one value coloured", "7 1 2 3\n", "", {{7, 1, 1, 2, 3}, {8, 1, 255, 255, 255}}},
        {"a range in one colour, then a hidden value", "1 255 0 0 255\n7\n", "",
         {hidden0, {1, 1, 0, 0, 255}, {7, 0, 0, 0, 255}, {128, 1, 0, 0, 255}, {254, 1, 0, 0, 255},
          {255, 1, 0, 0, 255}}},
        {"value 0 gets a colour only from a line", "0 9 8 7\n", "", {{0, 1, 9, 8, 7}}},
        {"a later line overrides", "5 1 2 3\n5 4 5 6\n", "", {{5, 1, 4, 5, 6}}},
        {"hiding keeps the colour", "5 1 2 3\n5\n", "", {{5, 0, 1, 2, 3}}},
        {"a gradient of one value takes colour 1", "9 9 1 2 3 4 5 6\n", "", {{9, 1, 1, 2, 3}}},
        {"a descending gradient", "10 12 30 0 0 0 0 30\n", "", {{10, 1, 30, 0, 0}, {11, 1, 15, 0, 15}, {12, 1, 0, 0, 30}}},
        {"a blank line makes what follows ineffective", "5\n\n6\n", "", {{5, 0, 255, 255, 255}, {6, 1, 255, 255, 255}}},
        {"a long line goes on as a new line", "5" + std::string(254, ' ') + "6\n", "",
         {{5, 0, 255, 255, 255}, {6, 0, 255, 255, 255}}},
        {"a line of exactly 255 characters does not end the table", "5" + std::string(254, ' ') + "\n6\n", "",
         {{5, 0, 255, 255, 255}, {6, 0, 255, 255, 255}}},
        {"nor does the blank rest of a longer line", "5" + std::string(300, ' ') + "\n6\n\n7\n", "",
         {{5, 0, 255, 255, 255}, {6, 0, 255, 255, 255}, {7, 1, 255, 255, 255}}},
        {"a comment first", "# colours\n", param, {}},
        {"three integers", "1 2 3\n", param, {}},
        {"six integers", "1 2 3 4 5 6\n", param, {}},
        {"seven integers", "1 2 3 4 5 6 7\n", param, {}},
        {"a sign without digits", "-x\n", param, {}},
        {"low above high", "3 2 0 0 0\n", range, {}},
        {"high above 255", "0 256\n", range, {}},
        {"negative value", "-1\n", range, {}},
        {"a sign starts the next number", "10-12\n", range, {}},
        {"colour above 255", "5 0 0 300\n", rgb, {}},
        {"negative second colour", "0 5 0 0 0 0 -1 0\n", rgb, {}},
        {"the range is checked before the colours", "300 0 0 999\n", range, {}},
        {"a value too large for an int", "99999999999 0 0 0\n", range, {}},
        {"a value that would wrap to 5 in 32 bits", "4294967301\n", range, {}},
        {"a very negative value", "-4294967296 3\n", range, {}},
        {"a colour too large for an int", "5 99999999999 0 0\n", rgb, {}},
        {"a colour that would wrap to 0", "5 4294967296 0 0\n", rgb, {}},
        {"errors end the table at their line", "5\n1 2 3\n", param, {}},
    };
}

void expect_entries(const ColourTable& t, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        SCOPED_TRACE("value " + std::to_string(e.value));
        auto v = static_cast<std::size_t>(e.value);
        EXPECT_EQ(t.shown[v] != 0, e.shown != 0);
        EXPECT_EQ(t.red[v], e.red);
        EXPECT_EQ(t.green[v], e.green);
        EXPECT_EQ(t.blue[v], e.blue);
    }
}

TEST(ColourTable, Cases) {
    for (const TableCase& c : table_cases()) {
        SCOPED_TRACE(c.desc);
        test::TempDir dir;
        std::string path = dir.write("colours.txt", c.text);
        ColourTable table;
        std::string err = test::fatal_text([&] { table = read_colour_table(path); });
        EXPECT_EQ(err, c.error.empty() ? "<no error>" : c.error);
        if (c.error.empty()) expect_entries(table, c.entries);
    }
}

// Computed in exact integers, a gradient hits every whole-number value exactly.
TEST(ColourTable, GradientsAreExact) {
    test::TempDir dir;
    ColourTable t = read_colour_table(dir.write("c.txt", "0 255 0 255 0 255 0 255\n"));
    for (int v = 0; v < 256; ++v) {
        auto i = static_cast<std::size_t>(v);
        EXPECT_EQ(t.red[i], v);
        EXPECT_EQ(t.green[i], 255 - v);
        EXPECT_EQ(t.blue[i], v);
    }
    // Every colour in one range stays exactly that colour.
    ColourTable one = read_colour_table(dir.write("d.txt", "1 255 3 254 77\n"));
    for (std::size_t v = 1; v < 256; ++v) EXPECT_TRUE(one.red[v] == 3 && one.green[v] == 254 && one.blue[v] == 77);
}

TEST(ColourTable, StandardInputIsLeftAfterTheBlankLine) {
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fputs("5\n6 1 2 3\n\n0 30 20 0 0 0\n", in);
    std::rewind(in);
    ColourTable t = read_colour_table("-", in);
    expect_entries(t, {{5, 0, 255, 255, 255}, {6, 1, 1, 2, 3}});
    char rest[64] = {};
    ASSERT_NE(std::fgets(rest, sizeof rest, in), nullptr);
    EXPECT_STREQ(rest, "0 30 20 0 0 0\n");
    std::fclose(in);
    // Any name that starts with "-" means standard input.
    std::FILE* other = std::tmpfile();
    std::fputs("9\n", other);
    std::rewind(other);
    expect_entries(read_colour_table("-colours", other), {{9, 0, 255, 255, 255}});
    std::fclose(other);
}

TEST(ColourTable, MissingFile) {
    test::TempDir dir;
    std::string path = dir.file("none.txt");
    EXPECT_EQ(test::fatal_text([&] { read_colour_table(path); }), path + " : file not found.\n");
}

}  // namespace
}  // namespace slicemesh
