// The slice list: name file, inline list and directory listing with its four sort
// orders, every failure message, and the stack geometry.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "slicein/slice_list.h"
#include "slicein/slice_order.h"
#include "tests/support/fatal_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"

namespace slicemesh {
namespace {

struct Slice {
    std::string name;
    int width = 2;
    int height = 2;
    std::string raw = "";  // not a TIFF: these bytes instead
};

struct ListCase {
    const char* desc;
    std::vector<Slice> slices;       // written into the stack directory
    std::optional<std::string> names;  // the name file's text, written as names.txt
    std::string name_file;           // "@" stands for the name file's path
    std::vector<std::string> order;  // expected names, or
    std::string error = "";          // the expected text, "@" for the name file, "%" for the directory
    int width = 2, height = 2;
};

std::string replaced(std::string text, const std::string& names_path, const std::string& dir) {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, names_path);
    for (std::size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, dir);
    return text;
}

std::vector<ListCase> list_cases() {
    const std::string long_line(1021, 'n');
    return {
        {"name file: first words, blank lines skipped, last line without line feed",
         {{"a.tif"}, {"b.tif"}}, "a.tif extra words\n   \nb.tif", "@", {"a.tif", "b.tif"}},
        {"name file: order of the lines", {{"a.tif"}, {"b.tif"}}, "b.tif\na.tif\n", "@", {"b.tif", "a.tif"}},
        {"name file: names may repeat", {{"a.tif"}}, "a.tif\n\ta.tif\n", "@", {"a.tif", "a.tif"}},
        {"name file: only blank lines", {}, "\n  \n\t\n", "@", {}, "@ : no image file name.\n"},
        {"name file: empty", {}, "", "@", {}, "@ : no image file name.\n"},
        {"name file: missing", {}, std::nullopt, "@", {}, "@ : name file not open.\n"},
        {"name file: 1021 characters are accepted (the probe then looks for the file)", {}, long_line + "\n", "@",
         {}, "%/" + long_line + " : file not found.\n"},
        {"name file: 1022 characters are too long", {}, "a.tif\n" + long_line + "n\n", "@", {},
         "@ : too long line.\n"},
        {"name file: too long line found before any probe", {}, "missing.tif\n" + long_line + "nn", "@", {},
         "@ : too long line.\n"},
        {"name file: a slice that is not there", {}, "x.tif\n", "@", {}, "%/x.tif : file not found.\n"},
        {"inline list", {{"a.tif"}, {"b.tif"}}, std::nullopt, "-a.tif  b.tif", {"a.tif", "b.tif"}},
        {"inline list of one", {{"b.tif"}}, std::nullopt, "-b.tif", {"b.tif"}},
        {"inline list without a word", {}, std::nullopt, "- \t ", {}, " \t  : no image file name.\n"},
        {"listing by name", {{"s2.tif"}, {"s10.tif"}}, std::nullopt, "-", {"s10.tif", "s2.tif"}},
        {"listing by name descending", {{"s2.tif"}, {"s10.tif"}, {"a"}}, std::nullopt, "--r",
         {"s2.tif", "s10.tif", "a"}},
        {"listing by number", {{"s2.tif"}, {"s10.tif"}}, std::nullopt, "--n", {"s2.tif", "s10.tif"}},
        {"listing by number descending", {{"s2.tif"}, {"s10.tif"}}, std::nullopt, "--nr", {"s10.tif", "s2.tif"}},
        {"names without a key first", {{"base.tif"}, {"s-3.tif"}, {"s2.tif"}}, std::nullopt, "--n",
         {"base.tif", "s-3.tif", "s2.tif"}},
        {"--rn is the exact reverse", {{"base.tif"}, {"s-3.tif"}, {"s2.tif"}}, std::nullopt, "--rn",
         {"s2.tif", "s-3.tif", "base.tif"}},
        {"--rn followed by more characters", {{"s1"}, {"s3"}, {"s2"}}, std::nullopt, "--rnxyz", {"s3", "s2", "s1"}},
        {"exponents and fractions", {{"s100.tif"}, {"s1.5e2.tif"}, {"s99.5x"}}, std::nullopt, "--n",
         {"s99.5x", "s100.tif", "s1.5e2.tif"}},
        {"NaN is no key, infinities sort at the ends",
         {{"x+inf.tif"}, {"a-nan.tif"}, {"s1.tif"}, {"b-inf.tif"}, {"c.tif"}}, std::nullopt, "--n",
         {"a-nan.tif", "c.tif", "b-inf.tif", "s1.tif", "x+inf.tif"}},
        {"NaN and infinities descending", {{"x+inf.tif"}, {"a-nan.tif"}, {"s1.tif"}, {"b-inf.tif"}, {"c.tif"}},
         std::nullopt, "--nr", {"x+inf.tif", "s1.tif", "b-inf.tif", "c.tif", "a-nan.tif"}},
        {"equal keys in name order", {{"c05.tif"}, {"a5.tif"}, {"b5.0.tif"}}, std::nullopt, "--n",
         {"a5.tif", "b5.0.tif", "c05.tif"}},
        {"equal keys descending", {{"c05.tif"}, {"a5.tif"}, {"b5.0.tif"}}, std::nullopt, "--rn",
         {"c05.tif", "b5.0.tif", "a5.tif"}},
        {"unknown option --rx", {{"a.tif"}}, std::nullopt, "--rx", {}, "-rx : unknown sorting option.\n"},
        {"unknown option --nx", {{"a.tif"}}, std::nullopt, "--nx", {}, "-nx : unknown sorting option.\n"},
        {"unknown option --", {{"a.tif"}}, std::nullopt, "--", {}, "- : unknown sorting option.\n"},
        {"--r with more characters is unknown", {{"a.tif"}}, std::nullopt, "--r2", {}, "-r2 : unknown sorting option.\n"},
        {"probe errors come before the option", {{"a.tif"}, {"notes.txt", 2, 2, "hello"}}, std::nullopt, "--x", {},
         "%/notes.txt : bad magic number.\n"},
        {"every entry counts, subdirectories too", {{"a.tif"}, {"sub/", 0, 0}}, std::nullopt, "-", {},
         "%/sub : unexpected end of file.\n"},
        {"empty directory", {}, std::nullopt, "-", {}, "% : no image file name.\n"},
        {"largest width and height apart", {{"a.tif", 10, 20}, {"b.tif", 20, 10}}, std::nullopt, "-",
         {"a.tif", "b.tif"}, "", 20, 20},
    };
}

void write_slices(const test::TempDir& dir, const std::vector<Slice>& slices) {
    for (const Slice& s : slices) {
        if (s.name.ends_with("/")) {
            std::filesystem::create_directory(dir.file(s.name.substr(0, s.name.size() - 1)));
        } else if (!s.raw.empty()) {
            dir.write(s.name, s.raw);
        } else {
            std::vector<std::uint16_t> samples(static_cast<std::size_t>(s.width * s.height), 1);
            test::write_tiff(dir.file(s.name), s.width, s.height, samples);
        }
    }
}

TEST(SliceList, Cases) {
    for (const ListCase& c : list_cases()) {
        SCOPED_TRACE(c.desc);
        test::TempDir stack, other;
        write_slices(stack, c.slices);
        std::string names_path = other.file("names.txt");
        if (c.names) other.write("names.txt", *c.names);
        std::string dir = stack.path().string();
        std::string name_file = replaced(c.name_file, names_path, dir);
        SliceList list;
        std::string err = test::fatal_text([&] { list = read_slice_list(dir, name_file, SampleForm::bits8); });
        if (!c.error.empty()) {
            EXPECT_EQ(err, replaced(c.error, names_path, dir));
            continue;
        }
        ASSERT_EQ(err, "<no error>");
        std::vector<std::string> expected;
        for (const std::string& n : c.order) expected.push_back(dir + "/" + n);
        EXPECT_EQ(list.paths, expected);
        EXPECT_EQ(list.count, static_cast<int>(expected.size()));
        EXPECT_EQ(list.width, c.width);
        EXPECT_EQ(list.height, c.height);
    }
}

TEST(SliceList, DirectoryArgument) {
    test::TempDir stack;
    write_slices(stack, {{"a.tif", 3, 4}});
    std::string dir = stack.path().string();
    // A trailing separator is kept: the prefix then has two slashes.
    SliceList list = read_slice_list(dir + "/", "-", SampleForm::bits8);
    EXPECT_EQ(list.paths, std::vector<std::string>{dir + "//a.tif"});
    EXPECT_EQ(list.width, 3);
    EXPECT_EQ(list.height, 4);
    EXPECT_EQ(test::fatal_text([&] { read_slice_list(dir + "/none", "-", SampleForm::bits8); }),
              dir + "/none : directory not open.\n");
    // The prefix holds 1022 characters of directory; more end the run instead of overflowing.
    std::string longest(1022, 'd'), too_long(1023, 'd');
    EXPECT_EQ(test::fatal_text([&] { read_slice_list(longest, "-a.tif", SampleForm::bits8); }),
              longest + "/a.tif : file not found.\n");
    EXPECT_EQ(test::fatal_text([&] { read_slice_list(too_long, "-a.tif", SampleForm::bits8); }),
              too_long + " : too long directory name.\n");
}

TEST(SliceList, FormDecidesTheProbe) {
    test::TempDir stack;
    std::vector<std::uint16_t> samples(4, 700);
    test::TiffOptions sixteen;
    sixteen.bits_per_sample = 16;
    test::write_tiff(stack.file("a.tif"), 2, 2, samples, sixteen);
    std::string dir = stack.path().string();
    EXPECT_EQ(read_slice_list(dir, "-a.tif", SampleForm::bits16).count, 1);
    EXPECT_EQ(test::fatal_text([&] { read_slice_list(dir, "-a.tif", SampleForm::bits8); }),
              dir + "/a.tif : bad bits per sample.\n");
}

TEST(SliceOrder, NumericKeys) {
    struct KeyCase {
        const char* name;
        std::optional<double> key;
    };
    const double inf = HUGE_VAL;
    for (const KeyCase& c : std::vector<KeyCase>{{"slice-012.tif", -12.0}, {"img+5", 5.0}, {"a+b3", std::nullopt},
                                                 {"s1.5e2.tif", 150.0}, {"base.tif", std::nullopt},
                                                 {"a-nan.tif", std::nullopt}, {"x+inf.tif", inf}, {"q-inf", -inf},
                                                 {"z7", 7.0}, {"-", std::nullopt}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(numeric_key(c.name), c.key);
    }
}

}  // namespace
}  // namespace slicemesh
