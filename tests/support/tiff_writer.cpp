#include "tests/support/tiff_writer.h"

#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace slicemesh::test {

void write_tiff(const std::string& path, int width, int height, const std::vector<std::uint16_t>& samples,
                const TiffOptions& o) {
    TIFF* tif = TIFFOpen(path.c_str(), o.big_endian ? "wb" : "wl");
    if (tif == nullptr) throw std::runtime_error("TIFFOpen failed: " + path);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(o.bits_per_sample));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(1));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(o.compression));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(o.photometric));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_FILLORDER, static_cast<uint16_t>(o.fill_order));
    if (o.predictor != 1) TIFFSetField(tif, TIFFTAG_PREDICTOR, static_cast<uint16_t>(o.predictor));
    uint32_t rows = o.rows_per_strip > 0 ? static_cast<uint32_t>(o.rows_per_strip) : static_cast<uint32_t>(height);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);

    // Pack each row MSB first (8 and 16 bits in native order: libtiff swaps as needed).
    tmsize_t row_bytes = TIFFScanlineSize(tif);
    std::vector<unsigned char> row(static_cast<std::size_t>(row_bytes));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        const std::uint16_t* in = samples.data() + static_cast<std::size_t>(y) * width;
        if (o.bits_per_sample == 8) {
            for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = static_cast<unsigned char>(in[x]);
        } else if (o.bits_per_sample == 16) {
            auto* out = reinterpret_cast<std::uint16_t*>(row.data());
            for (int x = 0; x < width; ++x) out[x] = in[x];
        } else {
            std::size_t bit = 0;
            for (int x = 0; x < width; ++x) {
                for (int b = o.bits_per_sample - 1; b >= 0; --b, ++bit)
                    if ((in[x] >> b) & 1) row[bit / 8] |= static_cast<unsigned char>(0x80 >> (bit % 8));
            }
        }
        if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) < 0) {
            TIFFClose(tif);
            throw std::runtime_error("TIFFWriteScanline failed: " + path);
        }
    }
    TIFFClose(tif);
}

std::string write_stack(const std::string& dir, int width, int height,
                        const std::vector<std::vector<std::uint16_t>>& slices, const TiffOptions& options) {
    std::string names_path = dir + "/names.txt";
    std::ofstream names(names_path);
    for (std::size_t z = 0; z < slices.size(); ++z) {
        char name[32];
        std::snprintf(name, sizeof name, "z%04zu.tif", z);
        write_tiff(dir + "/" + name, width, height, slices[z], options);
        names << name << '\n';
    }
    return names_path;
}

}  // namespace slicemesh::test
