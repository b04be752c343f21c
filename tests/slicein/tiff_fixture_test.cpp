// Slices written by libtiff in every combination the reader accepts: compression,
// predictor, fill order, byte order, bits per sample and rows per strip. Each must decode
// to exactly the samples written, without warnings.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <random>
#include <string>
#include <vector>

#include "slicein/tiff_slice.h"
#include "tests/support/fatal_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"

namespace slicemesh {
namespace {

// Labels with runs, so that LZW and PackBits both have something to compress.
std::vector<std::uint16_t> samples_for(int width, int height, int bits, unsigned seed) {
    std::mt19937 rng(seed);
    const unsigned top = (1u << bits) - 1;
    std::vector<std::uint16_t> out(static_cast<std::size_t>(width * height));
    std::uint16_t v = 0;
    for (std::uint16_t& s : out) {
        if (rng() % 4 == 0) v = static_cast<std::uint16_t>(rng() & top);
        s = v;
    }
    out[0] = static_cast<std::uint16_t>(top);  // every bit of the widest value occurs
    return out;
}

// The tags as libtiff itself reads them back, so that no combination silently falls back.
std::string tags_written(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return "<not readable>";
    uint16_t compression = 0, predictor = 1, fill = 0, bits = 0;
    uint32_t rows = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    if (compression == 5) TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &predictor);
    bool big = TIFFIsBigEndian(tif) != 0;
    TIFFClose(tif);
    return std::to_string(compression) + " " + std::to_string(predictor) + " " + std::to_string(fill) +
           (big ? " MM " : " II ") + std::to_string(bits) + " " + std::to_string(rows);
}

std::string describe(const test::TiffOptions& o) {
    return "compression " + std::to_string(o.compression) + ", predictor " + std::to_string(o.predictor) +
           ", fill order " + std::to_string(o.fill_order) + (o.big_endian ? ", MM" : ", II") + ", bits " +
           std::to_string(o.bits_per_sample) + ", rows per strip " + std::to_string(o.rows_per_strip);
}

TEST(TiffFixtures, EveryAcceptedCombination) {
    const int width = 37, height = 11;  // an odd width leaves padding bits at row ends
    test::TempDir dir;
    int written = 0;
    for (int compression : {1, 5, 32773})
        for (int predictor : {1, 2})
            for (int fill_order : {1, 2})
                for (bool big_endian : {false, true})
                    for (int bits : {1, 2, 4, 8, 12, 16})
                        for (int rows_per_strip : {1, 3, 0}) {
                            // libtiff differences only 8- and 16-bit samples, and only for LZW here.
                            if (predictor == 2 && (compression != 5 || (bits != 8 && bits != 16))) continue;
                            test::TiffOptions o;
                            o.compression = compression;
                            o.predictor = predictor;
                            o.fill_order = fill_order;
                            o.big_endian = big_endian;
                            o.bits_per_sample = bits;
                            o.rows_per_strip = rows_per_strip;
                            SCOPED_TRACE(describe(o));
                            auto samples = samples_for(width, height, bits, static_cast<unsigned>(written));
                            std::string path = dir.file(std::to_string(written++) + ".tif");
                            test::write_tiff(path, width, height, samples, o);
                            EXPECT_EQ(tags_written(path),
                                      std::to_string(compression) + " " + std::to_string(predictor) + " " +
                                          std::to_string(fill_order) + (big_endian ? " MM " : " II ") +
                                          std::to_string(bits) + " " +
                                          std::to_string(rows_per_strip ? rows_per_strip : height));

                            testing::internal::CaptureStderr();
                            SliceImage16 image16;
                            EXPECT_EQ(test::fatal_text([&] { image16 = read_tiff_slice16(path); }), "<no error>");
                            EXPECT_EQ(image16.width, width);
                            EXPECT_EQ(image16.height, height);
                            EXPECT_EQ(image16.samples, samples);
                            if (bits <= 8) {
                                SliceImage8 image8;
                                EXPECT_EQ(test::fatal_text([&] { image8 = read_tiff_slice8(path); }), "<no error>");
                                EXPECT_TRUE(std::equal(samples.begin(), samples.end(), image8.samples.begin(),
                                                       image8.samples.end()));
                            } else {
                                EXPECT_EQ(test::fatal_text([&] { read_tiff_slice8(path); }),
                                          path + " : bad bits per sample.\n");
                            }
                            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
                            SliceSize size = probe_tiff_slice(path, SampleForm::bits16);
                            EXPECT_EQ(size.width, width);
                            EXPECT_EQ(size.height, height);
                        }
    EXPECT_EQ(written, 240);
}

// A wide image spans several decode chunks per row; a tall one many strips.
TEST(TiffFixtures, LargeImages) {
    test::TempDir dir;
    struct Size {
        int width, height, bits, compression;
    };
    for (Size s : {Size{40000, 3, 12, 5}, Size{40001, 2, 1, 32773}, Size{33000, 2, 8, 1}, Size{5, 3000, 4, 5}}) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        test::TiffOptions o;
        o.bits_per_sample = s.bits;
        o.compression = s.compression;
        o.rows_per_strip = s.height > 100 ? 7 : 0;
        auto samples = samples_for(s.width, s.height, s.bits, 99);
        std::string path = dir.file("large.tif");
        test::write_tiff(path, s.width, s.height, samples, o);
        EXPECT_EQ(read_tiff_slice16(path).samples, samples);
    }
}

}  // namespace
}  // namespace slicemesh
