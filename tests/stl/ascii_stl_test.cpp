#include "stl/ascii_stl.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fatal_text.h"

namespace slicemesh {
namespace {

template <typename F>
std::string document(F&& body) {
    std::FILE* f = std::tmpfile();
    {
        AsciiStlWriter stl(f);
        body(stl);
    }
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    std::fclose(f);
    return s;
}

TEST(AsciiStl, EmptyDocument) {
    EXPECT_EQ(document([](AsciiStlWriter& stl) {
                  stl.begin();
                  stl.end();
              }),
              "solid\nendsolid\n");
}

TEST(AsciiStl, UnitTriangleInPlaneZero) {
    EXPECT_EQ(document([](AsciiStlWriter& stl) {
                  stl.begin();
                  stl.facet(Direction::mz, 0, 0, 0, 1, 0, 1, 1);
                  stl.end();
              }),
              "solid\nfacet normal 0 0 -1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\n"
              "endloop\nendfacet\nendsolid\n");
}

TEST(AsciiStl, SignsOfOneAxisDifferOnlyInTheNormal) {
    auto one = [](Direction d) {
        return document([d](AsciiStlWriter& stl) { stl.facet(d, 65535, 0, 65535, 12, 3, 65535, 1); });
    };
    std::string mx = one(Direction::mx), px = one(Direction::px);
    EXPECT_EQ(mx.substr(0, 20), "facet normal -1 0 0\n");
    EXPECT_EQ(px.substr(0, 19), "facet normal 1 0 0\n");
    EXPECT_EQ(mx.substr(20), px.substr(19));
    EXPECT_NE(mx.find("vertex 65535 0 65535\nvertex 65535 12 3\nvertex 65535 65535 1\n"),
              std::string::npos);
}

TEST(AsciiStl, RefusedWritesAreReportedAtTheEnd) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    std::string text = test::fatal_text([full] {
        AsciiStlWriter stl(full);
        stl.begin();
        stl.facet(Direction::mz, 0, 0, 0, 1, 0, 1, 1);
        stl.end();
    });
    std::fclose(full);
    EXPECT_EQ(text, "STL data write error.\n");
}

}  // namespace
}  // namespace slicemesh
