#pragma once
// Reading back the ASCII STL documents of plainfacets, and the expected text of simple
// surfaces.

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "stl/face_direction.h"

namespace slicemesh::test {

struct StlFacet {
    std::array<int, 3> normal;
    std::array<std::array<int, 3>, 3> vertices;
};

// Parses a whole document; fails the test on any line out of place.
inline std::vector<StlFacet> parse_ascii_stl(const std::string& text, bool* ok) {
    std::istringstream in(text);
    std::vector<StlFacet> facets;
    std::string line;
    *ok = std::getline(in, line) && line == "solid";
    while (*ok && std::getline(in, line) && line != "endsolid") {
        StlFacet f{};
        *ok = std::sscanf(line.c_str(), "facet normal %d %d %d", &f.normal[0], &f.normal[1], &f.normal[2]) == 3;
        *ok = *ok && std::getline(in, line) && line == "outer loop";
        for (auto& v : f.vertices) {
            *ok = *ok && std::getline(in, line) && std::sscanf(line.c_str(), "vertex %d %d %d", &v[0], &v[1], &v[2]) == 3;
        }
        *ok = *ok && std::getline(in, line) && line == "endloop";
        *ok = *ok && std::getline(in, line) && line == "endfacet";
        facets.push_back(f);
    }
    *ok = *ok && line == "endsolid" && !std::getline(in, line);
    return facets;
}

inline std::string facet_text(Direction d, int plane, const std::array<int, 6>& uv) {
    std::array<int, 3> n = normal_of(d);
    std::string s = "facet normal " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " + std::to_string(n[2]) +
                    "\nouter loop\n";
    for (int k = 0; k < 3; ++k) {
        std::array<int, 3> v = corner_xyz(d, plane, uv[static_cast<std::size_t>(2 * k)], uv[static_cast<std::size_t>(2 * k + 1)]);
        s += "vertex " + std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]) + "\n";
    }
    return s + "endloop\nendfacet\n";
}

// The two facets of a rectangle of cells, columns u0..u1 and rows v0..v1, in plane p:
// the triangulation gives one rectangle the order of a single cell.
inline std::string rectangle_facets(Direction d, int plane, int u0, int v0, int u1, int v1) {
    return facet_text(d, plane, {u1 + 1, v1 + 1, u0, v1 + 1, u1 + 1, v0}) +
           facet_text(d, plane, {u0, v1 + 1, u1 + 1, v0, u0, v0});
}

}  // namespace slicemesh::test
