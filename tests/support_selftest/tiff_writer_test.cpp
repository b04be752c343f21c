#include "tests/support/tiff_writer.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include "tests/support/temp_dir.h"

namespace slicemesh::test {
namespace {

// The fixture writer must itself be right: read back with libtiff.
TEST(TiffWriter, RoundTripsThroughLibtiff) {
    TempDir dir;
    std::vector<std::uint16_t> samples = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1};
    for (int bits : {2, 8, 16}) {
        SCOPED_TRACE(bits);
        std::string path = dir.file("t.tif");
        write_tiff(path, 5, 2, samples, {.bits_per_sample = bits, .compression = 5, .big_endian = bits == 16});
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        EXPECT_EQ(w, 5u);
        EXPECT_EQ(h, 2u);
        std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tif)));
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), 0, 0), 1);  // LZW reads rows in order
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), 1, 0), 1);
        // row 1 is 2, 1, 0, 1, 1
        if (bits == 2) {
            EXPECT_EQ(row[0], 0x91u);
            EXPECT_EQ(row[1], 0x40u);
        } else if (bits == 8) {
            EXPECT_EQ(row[0], 2u);
            EXPECT_EQ(row[2], 0u);
        } else {
            EXPECT_EQ(reinterpret_cast<uint16_t*>(row.data())[0], 2u);
        }
        TIFFClose(tif);
    }
}

}  // namespace
}  // namespace slicemesh::test
