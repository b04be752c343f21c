#pragma once
// Writes TIFF slices with libtiff, an independent writer, for fixtures and stacks.

#include <cstdint>
#include <string>
#include <vector>

namespace slicemesh::test {

struct TiffOptions {
    int bits_per_sample = 8;      // 1 to 16
    int compression = 1;          // 1 none, 5 LZW, 32773 PackBits
    int predictor = 1;            // 1 none, 2 horizontal differencing
    int fill_order = 1;           // 1 or 2
    bool big_endian = false;      // "MM" instead of "II"
    int rows_per_strip = 0;       // 0: the whole image in one strip
    int photometric = 1;          // 1 min-is-black
};

// samples holds width * height values, row 0 first; each must fit in bits_per_sample.
void write_tiff(const std::string& path, int width, int height, const std::vector<std::uint16_t>& samples,
                const TiffOptions& options = {});

// A stack: slice z is written as dir/z%04d.tif, and dir/names.txt lists them in order.
// Returns the name file's path.
std::string write_stack(const std::string& dir, int width, int height,
                        const std::vector<std::vector<std::uint16_t>>& slices, const TiffOptions& options = {});

}  // namespace slicemesh::test
