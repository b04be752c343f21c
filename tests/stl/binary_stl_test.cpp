#include "stl/binary_stl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "tests/support/binary_stl_reader.h"
#include "tests/support/fatal_text.h"
#include "tests/support/limited_stream.h"
#include "tests/support/temp_dir.h"

namespace slicemesh {
namespace {

using test::fatal_text;
using test::LimitedStream;
using test::parse_binary_stl;

std::string contents(std::FILE* f) {
    std::fflush(f);
    std::fseek(f, 0, SEEK_END);
    long end = std::ftell(f);
    std::rewind(f);
    std::string s(static_cast<std::size_t>(end), '\0');
    EXPECT_EQ(std::fread(s.data(), 1, s.size(), f), s.size());
    std::fseek(f, 0, SEEK_END);
    return s;
}

template <typename F>
std::string stl_bytes(UnitFactors units, F&& body) {
    std::FILE* f = std::tmpfile();
    {
        BinaryStlWriter stl(f, units);
        body(stl);
    }
    std::string s = contents(f);
    std::fclose(f);
    return s;
}

TEST(ColourWord, TopFiveBitsOfEachComponent) {
    struct Case {
        const char* desc;
        std::uint8_t r, g, b;
        std::uint16_t word;
    };
    const Case cases[] = {
        {"white", 255, 255, 255, 0xFFFF}, {"black", 0, 0, 0, 0x8000},   {"low bits dropped", 7, 7, 7, 0x8000},
        {"red", 255, 0, 0, 0xFC00},       {"green", 0, 255, 0, 0x83E0}, {"blue", 0, 0, 255, 0x801F},
        {"mixed", 0x88, 0x44, 0x22, 0x8000 | 0x11 << 10 | 0x08 << 5 | 0x04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        EXPECT_EQ(colour_word(c.r, c.g, c.b), c.word);
    }
}

TEST(BinaryStl, EmptyFileIs84ZeroBytesInBothCountModes) {
    std::string zeros(84, '\0');
    EXPECT_EQ(stl_bytes({}, [](BinaryStlWriter& stl) {
                  stl.begin_patched_count();
                  stl.finish_patched_count();
              }),
              zeros);
    EXPECT_EQ(stl_bytes({}, [](BinaryStlWriter& stl) {
                  stl.begin_leading_count(0);
                  stl.flush_facets();
              }),
              zeros);
}

// Known-answer bytes, spelled out: a mz facet in plane 3 with corners (1, 2) (0, 0) (65535, 1).
TEST(BinaryStl, FacetRecordIsLittleEndianFloatsAndWord) {
    std::string bytes = stl_bytes({}, [](BinaryStlWriter& stl) {
        stl.begin_leading_count(1);
        stl.facet(Direction::mz, 3, 1, 2, 0, 0, 65535, 1, 0x83E0);
        stl.flush_facets();
    });
    const unsigned char expected[50] = {
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0x80, 0xBF,            // normal 0 0 -1 (positive zeros)
        0, 0, 0x80, 0x3F,  0, 0, 0, 0x40,  0, 0, 0x40, 0x40,    // vertex 1 2 3
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0x40, 0x40,            // vertex 0 0 3
        0, 0xFF, 0x7F, 0x47,  0, 0, 0x80, 0x3F,  0, 0, 0x40, 0x40,  // vertex 65535 1 3
        0xE0, 0x83};
    ASSERT_EQ(bytes.size(), 134u);
    EXPECT_EQ(bytes.substr(0, 80), std::string(80, '\0'));
    EXPECT_EQ(bytes.substr(80, 4), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(bytes.substr(84), std::string(reinterpret_cast<const char*>(expected), 50));
}

TEST(BinaryStl, EachDirectionMapsAndScalesCorners) {
    struct Case {
        const char* desc;
        Direction d;
        std::array<float, 3> normal;
        std::array<float, 9> vertices;  // corners (1, 2) (3, 4) (5, 6) in plane 7, units 2, -1, 0.5
    };
    const Case cases[] = {
        {"mx", Direction::mx, {-1, 0, 0}, {14, -1, 1, 14, -3, 2, 14, -5, 3}},
        {"px", Direction::px, {1, 0, 0}, {14, -1, 1, 14, -3, 2, 14, -5, 3}},
        {"my", Direction::my, {0, -1, 0}, {4, -7, 0.5, 8, -7, 1.5, 12, -7, 2.5}},
        {"py", Direction::py, {0, 1, 0}, {4, -7, 0.5, 8, -7, 1.5, 12, -7, 2.5}},
        {"mz", Direction::mz, {0, 0, -1}, {2, -2, 3.5, 6, -4, 3.5, 10, -6, 3.5}},
        {"pz", Direction::pz, {0, 0, 1}, {2, -2, 3.5, 6, -4, 3.5, 10, -6, 3.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        test::StlFile stl = parse_binary_stl(stl_bytes({2.0, -1.0, 0.5}, [&](BinaryStlWriter& w) {
            w.begin_leading_count(1);
            w.facet(c.d, 7, 1, 2, 3, 4, 5, 6, 0xABCD);
            w.flush_facets();
        }));
        ASSERT_EQ(stl.facets.size(), 1u);
        const test::StlFacet& f = stl.facets[0];
        EXPECT_EQ(f.normal, c.normal);
        for (std::size_t k = 0; k < 3; ++k) EXPECT_FALSE(std::signbit(f.normal[k]) && f.normal[k] == 0);
        for (std::size_t v = 0; v < 3; ++v)
            for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(f.vertex[v][k], c.vertices[3 * v + k]) << v << " " << k;
        EXPECT_EQ(f.attribute, 0xABCD);
    }
}

TEST(BinaryStl, ProductIsRoundedOnceFromDouble) {
    // 3 * 0.1 in double rounds to a different float than 3 * (float)0.1.
    test::StlFile stl = parse_binary_stl(stl_bytes({0.1, 1, 1}, [](BinaryStlWriter& w) {
        w.begin_leading_count(1);
        w.facet(Direction::mz, 0, 3, 0, 0, 0, 0, 0, 0x8000);
        w.flush_facets();
    }));
    EXPECT_EQ(stl.facets[0].vertex[0][0], static_cast<float>(3 * 0.1));
}

TEST(BinaryStl, PatchedCountStaysZeroUntilTheEnd) {
    std::FILE* f = std::tmpfile();
    {
        BinaryStlWriter stl(f, {});
        stl.begin_patched_count();
        for (int i = 0; i < 3; ++i) stl.facet(Direction::px, i, 0, 0, 1, 0, 0, 1, 0x8001);
        stl.flush_facets();
        std::string early = contents(f);
        ASSERT_EQ(early.size(), 84u + 150u);
        EXPECT_EQ(test::stl_u32(early, 80), 0u);
        stl.finish_patched_count();
        EXPECT_EQ(stl.facet_count(), 3u);
    }
    test::StlFile stl = parse_binary_stl(contents(f));
    std::fclose(f);
    EXPECT_EQ(stl.count, 3u);
    EXPECT_EQ(stl.facets[2].vertex[0][0], 2.0f);
}

TEST(BinaryStl, LeadingCountIsWrittenBeforeTheFacets) {
    std::string bytes = stl_bytes({}, [](BinaryStlWriter& stl) {
        stl.begin_leading_count(0x01020304);
        stl.flush_facets();
    });
    EXPECT_EQ(bytes.substr(80), std::string("\x04\x03\x02\x01", 4));
}

TEST(BinaryStl, ManyFacetsPassTheBufferInOrder) {
    const int n = 50000;  // more than one buffer's worth
    test::StlFile stl = parse_binary_stl(stl_bytes({}, [&](BinaryStlWriter& w) {
        w.begin_patched_count();
        for (int i = 0; i < n; ++i) w.facet(Direction::my, i, 0, 0, 1, 0, 0, 1, static_cast<std::uint16_t>(0x8000 | i));
        w.finish_patched_count();
    }));
    ASSERT_EQ(stl.count, static_cast<std::uint32_t>(n));
    for (int i = 0; i < n; i += 997) {
        EXPECT_EQ(stl.facets[static_cast<std::size_t>(i)].vertex[0][1], static_cast<float>(i));
        EXPECT_EQ(stl.facets[static_cast<std::size_t>(i)].attribute, (0x8000 | i) & 0xFFFF);
    }
}

TEST(BinaryStl, EachFailedRegionHasItsOwnMessage) {
    struct Case {
        const char* desc;
        std::size_t limit;
        bool seekable;
        std::function<void(BinaryStlWriter&)> body;
        const char* message;
    };
    auto facets = [](BinaryStlWriter& w) {
        for (int i = 0; i < 4; ++i) w.facet(Direction::pz, i, 0, 0, 1, 0, 0, 1, 0x8000);
    };
    const Case cases[] = {
        {"patched header", 83, true, [](BinaryStlWriter& w) { w.begin_patched_count(); }, "STL header write error.\n"},
        {"leading header", 79, true, [](BinaryStlWriter& w) { w.begin_leading_count(4); },
         "STL header write error.\n"},
        {"leading count", 82, true, [](BinaryStlWriter& w) { w.begin_leading_count(4); },
         "STL facets write error.\n"},
        {"facets, leading", 84 + 120, true,
         [&](BinaryStlWriter& w) {
             w.begin_leading_count(4);
             facets(w);
             w.flush_facets();
         },
         "STL data write error.\n"},
        {"facets, patched", 84 + 199, true,
         [&](BinaryStlWriter& w) {
             w.begin_patched_count();
             facets(w);
             w.finish_patched_count();
         },
         "STL data write error.\n"},
        {"seek to the count", 1000, false,
         [&](BinaryStlWriter& w) {
             w.begin_patched_count();
             facets(w);
             w.finish_patched_count();
         },
         "STL trailer write error.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        LimitedStream disk(c.limit, c.seekable);
        std::string text = fatal_text([&] {
            BinaryStlWriter w(disk.stream(), {});
            c.body(w);
        });
        EXPECT_EQ(text, c.message);
    }
}

TEST(BinaryStl, FailedPatchedRunLeavesCountZero) {
    LimitedStream disk(84 + 120);
    EXPECT_EQ(fatal_text([&] {
                  BinaryStlWriter w(disk.stream(), {});
                  w.begin_patched_count();
                  for (int i = 0; i < 4; ++i) w.facet(Direction::pz, i, 0, 0, 1, 0, 0, 1, 0x8000);
                  w.finish_patched_count();
              }),
              "STL data write error.\n");
    EXPECT_EQ(disk.bytes().size(), 84u + 120u);
    EXPECT_EQ(test::stl_u32(disk.bytes(), 80), 0u);
}

}  // namespace
}  // namespace slicemesh
