#pragma once
// Reads a binary STL back for checks: header, count and 50-byte facets, decoded
// little-endian independently of the writer.

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace slicemesh::test {

struct StlFacet {
    std::array<float, 3> normal;
    std::array<std::array<float, 3>, 3> vertex;
    std::uint16_t attribute;
};

struct StlFile {
    std::string header;  // the 80 header bytes
    std::uint32_t count = 0;
    std::vector<StlFacet> facets;
};

inline std::uint32_t stl_u32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

inline float stl_float(const std::string& b, std::size_t at) {
    std::uint32_t bits = stl_u32(b, at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Throws when the size does not match the count field.
inline StlFile parse_binary_stl(const std::string& bytes) {
    if (bytes.size() < 84) throw std::runtime_error("STL shorter than 84 bytes");
    StlFile stl;
    stl.header = bytes.substr(0, 80);
    stl.count = stl_u32(bytes, 80);
    if (bytes.size() != 84 + 50 * std::size_t{stl.count}) throw std::runtime_error("STL size does not match its count");
    for (std::size_t i = 0; i < stl.count; ++i) {
        std::size_t at = 84 + 50 * i;
        StlFacet f{};
        for (std::size_t k = 0; k < 3; ++k) f.normal[k] = stl_float(bytes, at + 4 * k);
        for (std::size_t v = 0; v < 3; ++v)
            for (std::size_t k = 0; k < 3; ++k) f.vertex[v][k] = stl_float(bytes, at + 12 + 12 * v + 4 * k);
        f.attribute = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at + 48]) |
                                                 static_cast<unsigned char>(bytes[at + 49]) << 8);
        stl.facets.push_back(f);
    }
    return stl;
}

// Index 0..5 of the direction (mx px my py mz pz) whose outward normal the facet has,
// or -1 when the normal is not one of the six unit vectors.
inline int normal_direction(const StlFacet& f) {
    int found = -1;
    for (int axis = 0; axis < 3; ++axis) {
        float c = f.normal[static_cast<std::size_t>(axis)];
        if (c == 0.0f) continue;
        if ((c != 1.0f && c != -1.0f) || found != -1) return -1;
        found = 2 * axis + (c > 0 ? 1 : 0);
    }
    return found;
}

// Twice the area of a facet that lies in a plane perpendicular to the axis of its normal,
// measured in that plane.
inline double doubled_area(const StlFacet& f, int axis) {
    std::size_t a = static_cast<std::size_t>((axis + 1) % 3), b = static_cast<std::size_t>((axis + 2) % 3);
    double ua = f.vertex[1][a] - f.vertex[0][a], ub = f.vertex[1][b] - f.vertex[0][b];
    double va = f.vertex[2][a] - f.vertex[0][a], vb = f.vertex[2][b] - f.vertex[0][b];
    double cross = ua * vb - ub * va;
    return cross < 0 ? -cross : cross;
}

// Summed facet area per (direction index, attribute).
inline std::map<std::tuple<int, std::uint16_t>, double> area_by_direction_and_word(const StlFile& stl) {
    std::map<std::tuple<int, std::uint16_t>, double> area;
    for (const StlFacet& f : stl.facets) {
        int d = normal_direction(f);
        area[{d, f.attribute}] += d < 0 ? 0.0 : doubled_area(f, d / 2) / 2;
    }
    return area;
}

}  // namespace slicemesh::test
