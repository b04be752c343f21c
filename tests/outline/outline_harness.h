#pragma once
// Shared by the outline tests: grids written as text, and triangles collected from a call.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "outline/outline.h"

namespace slicemesh::test {

// Corners in emission order, then the label (0 in the plain form).
struct Triangle {
    std::array<int, 6> corners;
    std::int32_t label;
    bool operator==(const Triangle&) const = default;
};

// Grid rows as text: '.' is an unmarked cell, a letter a marked one with label
// letter - 'a' + 1.
using TextGrid = std::vector<std::string>;

// Writes the grid into the outline's work grid (and label grid) at rows and columns 0..
inline void fill_outline(Outline& outline, const TextGrid& grid) {
    for (std::size_t y = 0; y < grid.size(); ++y) {
        for (std::size_t x = 0; x < grid[y].size(); ++x) {
            char c = grid[y][x];
            outline.work_row(static_cast<int>(y))[x] = c == '.' ? 1 : 0;
            if (outline.form() == OutlineForm::labelled)
                outline.label_row(static_cast<int>(y))[x] = c == '.' ? 0 : c - 'a' + 1;
        }
    }
}

inline std::vector<Triangle> run_outline(Outline& outline, int x0, int y0, int x1, int y1) {
    std::vector<Triangle> out;
    if (outline.form() == OutlineForm::plain) {
        auto collect = [&](int xa, int ya, int xb, int yb, int xc, int yc) {
            out.push_back({{xa, ya, xb, yb, xc, yc}, 0});
        };
        outline.outline_regions(x0, y0, x1, y1, make_plain_sink(collect));
    } else {
        auto collect = [&](int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t label) {
            out.push_back({{xa, ya, xb, yb, xc, yc}, label});
        };
        outline.outline_regions(x0, y0, x1, y1, make_labelled_sink(collect));
    }
    return out;
}

inline std::vector<Triangle> outline_text(OutlineForm form, const TextGrid& grid, int x0, int y0, int x1, int y1) {
    Outline outline(form, static_cast<int>(grid.at(0).size()), static_cast<int>(grid.size()));
    fill_outline(outline, grid);
    return run_outline(outline, x0, y0, x1, y1);
}

inline std::string to_string(const std::vector<Triangle>& triangles) {
    std::string s;
    for (const Triangle& t : triangles) {
        if (!s.empty()) s.append(" ; ");
        for (std::size_t i = 0; i < 6; ++i) {
            if (i != 0) s.push_back(' ');
            s.append(std::to_string(t.corners[i]));
        }
        if (t.label != 0) {
            s.push_back(' ');
            s.append(std::to_string(t.label));
        }
    }
    return s;
}

}  // namespace slicemesh::test
