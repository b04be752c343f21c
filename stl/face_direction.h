#pragma once
// The six face directions and the plane-triangle mapping that every surface writer
// and reader shares.

#include <array>
#include <cstdint>
#include <string_view>

namespace slicemesh {

// Always handled in this order; the suffixes also name the six files of a VM set.
enum class Direction : int { mx, px, my, py, mz, pz };

inline constexpr std::array<Direction, 6> all_directions = {
    Direction::mx, Direction::px, Direction::my, Direction::py, Direction::mz, Direction::pz};

constexpr int index_of(Direction d) { return static_cast<int>(d); }

constexpr std::string_view suffix(Direction d) {
    constexpr std::array<std::string_view, 6> names = {"mx", "px", "my", "py", "mz", "pz"};
    return names[static_cast<std::size_t>(index_of(d))];
}

// 0 for x, 1 for y, 2 for z.
constexpr int axis_of(Direction d) { return index_of(d) / 2; }
constexpr bool is_plus(Direction d) { return index_of(d) % 2 == 1; }

// Outward normal, components -1, 0 or 1.
constexpr std::array<int, 3> normal_of(Direction d) {
    std::array<int, 3> n{0, 0, 0};
    n[static_cast<std::size_t>(axis_of(d))] = is_plus(d) ? 1 : -1;
    return n;
}

// Corner (u, v) of a triangle in plane p of direction d as (x, y, z):
// (p, u, v) for x faces, (v, p, u) for y faces, (u, v, p) for z faces.
template <typename T>
constexpr std::array<T, 3> corner_xyz(Direction d, T p, T u, T v) {
    switch (axis_of(d)) {
    case 0: return {p, u, v};
    case 1: return {v, p, u};
    default: return {u, v, p};
    }
}

// A triangle in a plane perpendicular to one axis, corners in delivery order.
struct PlaneTriangle {
    Direction direction;
    std::int32_t plane;
    std::array<std::uint16_t, 3> u;
    std::array<std::uint16_t, 3> v;
};

}  // namespace slicemesh
