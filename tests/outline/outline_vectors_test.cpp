// Known-answer vectors: every triangle and every corner in emission order, both forms.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/outline/outline_harness.h"

namespace slicemesh {
namespace {

using test::Triangle;

struct Vector {
    std::string desc;
    OutlineForm form;
    test::TextGrid grid;
    int x0, y0, x1, y1;
    std::vector<Triangle> triangles;
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<Vector> read_vectors() {
    std::ifstream in(std::string(SLICEMESH_SHARED_DIR) + "/vectors/outline.tsv");
    std::vector<Vector> vectors;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = split(line, '\t');
        if (f.size() != 5) ADD_FAILURE() << "malformed row: " << line;
        if (f.size() != 5) continue;
        Vector v;
        v.desc = f[0] + " (" + f[1] + ")";
        v.form = f[1] == "plain" ? OutlineForm::plain : OutlineForm::labelled;
        v.grid = split(f[2], '/');
        std::istringstream(f[3]) >> v.x0 >> v.y0 >> v.x1 >> v.y1;
        for (const std::string& t : split(f[4], ';')) {
            std::istringstream numbers(t);
            Triangle triangle{{}, 0};
            for (int& c : triangle.corners) numbers >> c;
            if (v.form == OutlineForm::labelled) numbers >> triangle.label;
            v.triangles.push_back(triangle);
        }
        vectors.push_back(v);
    }
    return vectors;
}

TEST(OutlineVectors, EveryRowMatchesToTheCorner) {
    std::vector<Vector> vectors = read_vectors();
    ASSERT_GE(vectors.size(), 30u) << "vector file missing or short";
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.desc);
        std::vector<Triangle> got = test::outline_text(v.form, v.grid, v.x0, v.y0, v.x1, v.y1);
        EXPECT_EQ(test::to_string(got), test::to_string(v.triangles));
        EXPECT_TRUE(got == v.triangles);
    }
}

}  // namespace
}  // namespace slicemesh
