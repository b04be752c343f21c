#pragma once
// Three byte planes with row-pointer tables, the shape in which frames reach the
// colour table and the GIF writer.

#include <array>
#include <cstdint>
#include <vector>

#include "render/frame_colours.h"

namespace slicemesh::test {

struct RgbPlanes {
    RgbPlanes(int width, int height) : width(width), height(height) {
        for (auto& p : planes) p.assign(static_cast<std::size_t>(width) * height, 0);
        for (int k = 0; k < 3; ++k) {
            rows[k].resize(height);
            for (int i = 0; i < height; ++i) rows[k][i] = planes[k].data() + static_cast<std::size_t>(i) * width;
        }
    }
    RgbPlanes(const RgbPlanes&) = delete;

    void set(int column, int row, Rgb c) {
        rows[0][row][column] = c.red;
        rows[1][row][column] = c.green;
        rows[2][row][column] = c.blue;
    }
    Rgb at(int column, int row) const {
        return {rows[0][row][column], rows[1][row][column], rows[2][row][column]};
    }
    // Pixels in row order from a list, which must hold width * height colours.
    void fill(const std::vector<Rgb>& colours) {
        for (std::size_t i = 0; i < colours.size(); ++i)
            set(static_cast<int>(i % width), static_cast<int>(i / width), colours[i]);
    }
    const std::uint8_t* const* red() const { return rows[0].data(); }
    const std::uint8_t* const* green() const { return rows[1].data(); }
    const std::uint8_t* const* blue() const { return rows[2].data(); }

    int width, height;
    std::array<std::vector<std::uint8_t>, 3> planes;
    std::array<std::vector<std::uint8_t*>, 3> rows;
};

}  // namespace slicemesh::test
