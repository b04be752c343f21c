// Decodes a generated stack (256 slices of 512 x 512 labels by default) in each strip
// compression with the slice reader, in both forms, and with libtiff when it is built in,
// all in one run over the same files. Run by hand:
//   slicein_bench [--slices N] [--size S] [--repeat R] [--only none|LZW|PackBits]
//                 [--noise PERCENT] [--keep DIR]
// --noise replaces that share of the voxels by random labels: shorter runs and strings.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "bench/slicein/strip_encoders.h"
#include "slicein/tiff_slice.h"
#include "tests/support/tiff_builder.h"

#ifdef SLICEMESH_BENCH_LIBTIFF
#include <tiffio.h>
#endif

namespace {

using slicemesh::bench::LzwEncoder;
using slicemesh::bench::packbits_encode_row;
using slicemesh::test::TiffBuilder;

constexpr std::uint32_t rows_per_strip = 16;

// Labels 0-8 from overlapping balls, the shape of a segmented scan.
std::vector<std::uint8_t> phantom_slice(int size, int z, int slices, int noise_percent) {
    struct Ball {
        double x, y, z, r;
        std::uint8_t label;
    };
    static const Ball balls[] = {{0.5, 0.5, 0.5, 0.45, 1}, {0.3, 0.4, 0.4, 0.2, 2}, {0.7, 0.6, 0.5, 0.22, 3},
                                 {0.5, 0.3, 0.7, 0.15, 4}, {0.45, 0.7, 0.3, 0.12, 5}, {0.6, 0.4, 0.25, 0.1, 6},
                                 {0.35, 0.65, 0.65, 0.09, 7}, {0.55, 0.55, 0.55, 0.05, 8}};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size) * size);
    double fz = (z + 0.5) / slices;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double fx = (x + 0.5) / size, fy = (y + 0.5) / size;
            std::uint8_t label = 0;
            for (const Ball& b : balls) {
                double dx = fx - b.x, dy = fy - b.y, dz = fz - b.z;
                // A wavy surface, so that rows are not all runs.
                double r = b.r * (1 + 0.08 * std::sin(40 * fx + 30 * fy + 20 * fz));
                if (dx * dx + dy * dy + dz * dz < r * r) label = b.label;
            }
            out[static_cast<std::size_t>(y) * size + x] = label;
        }
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(z);  // xorshift: the same stack every run
    for (std::uint8_t& v : out) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        if (static_cast<int>(state % 100) < noise_percent) v = static_cast<std::uint8_t>(state / 100 % 9);
    }
    return out;
}

std::string encode_slice(const std::vector<std::uint8_t>& samples, int size, int compression, LzwEncoder& lzw) {
    std::vector<std::string> strips;
    for (int top = 0; top < size; top += static_cast<int>(rows_per_strip)) {
        int rows = std::min<int>(static_cast<int>(rows_per_strip), size - top);
        const std::uint8_t* data = samples.data() + static_cast<std::size_t>(top) * size;
        std::size_t n = static_cast<std::size_t>(rows) * size;
        if (compression == 1) {
            strips.emplace_back(reinterpret_cast<const char*>(data), n);
        } else if (compression == 5) {
            strips.push_back(lzw.encode(data, n));
        } else {
            std::string s;
            for (int r = 0; r < rows; ++r) s += packbits_encode_row(data + static_cast<std::size_t>(r) * size, size);
            strips.push_back(s);
        }
    }
    TiffBuilder b = TiffBuilder::image(static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size), 8, strips);
    b.set(259, slicemesh::test::tiff_type::short_, {static_cast<std::uint32_t>(compression)});
    b.set(278, slicemesh::test::tiff_type::long_, {rows_per_strip});
    return b.build();
}

// CPU time of this thread (user and system, page faults included): on a shared machine
// wall time mostly measures the neighbours.
double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double seconds_of(const std::function<void()>& run, int repeat) {
    double best = 1e30;
    for (int i = 0; i < repeat; ++i) {
        double t0 = thread_seconds();
        run();
        best = std::min(best, thread_seconds() - t0);
    }
    return best;
}

#ifdef SLICEMESH_BENCH_LIBTIFF
// libtiff's fastest path for whole images: every strip decoded into one buffer.
std::vector<std::uint8_t> libtiff_read(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return {};
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(w) * h);
    tmsize_t at = 0;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
        tmsize_t got = TIFFReadEncodedStrip(tif, s, image.data() + at, static_cast<tmsize_t>(image.size()) - at);
        if (got < 0) break;
        at += got;
    }
    TIFFClose(tif);
    return image;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    int slices = 256, size = 512, repeat = 3, noise = 0;
    std::string keep, only;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string opt = argv[i];
        if (opt == "--slices") slices = std::atoi(argv[i + 1]);
        else if (opt == "--size") size = std::atoi(argv[i + 1]);
        else if (opt == "--repeat") repeat = std::atoi(argv[i + 1]);
        else if (opt == "--keep") keep = argv[i + 1];
        else if (opt == "--only") only = argv[i + 1];
        else if (opt == "--noise") noise = std::atoi(argv[i + 1]);
    }
    namespace fs = std::filesystem;
    fs::path root = keep.empty() ? fs::temp_directory_path() / ("slicein-bench-" + std::to_string(::getpid())) : fs::path(keep);
    fs::create_directories(root);
#ifdef SLICEMESH_BENCH_LIBTIFF
    TIFFSetWarningHandler(nullptr);
#endif

    std::vector<std::vector<std::uint8_t>> stack;
    for (int z = 0; z < slices; ++z) stack.push_back(phantom_slice(size, z, slices, noise));
    const double megabytes = static_cast<double>(slices) * size * size / 1e6;
    std::printf("stack: %d slices of %d x %d, %d%% noise, %d rows per strip; thread CPU time, best of %d runs\n\n",
                slices, size, size, noise, static_cast<int>(rows_per_strip), repeat);
    std::printf("| compression | stored MB | 8-bit form ms | 16-bit form ms | libtiff ms | 8-bit / libtiff | 16-bit / libtiff |\n");
    std::printf("|---|---|---|---|---|---|---|\n");

    int failures = 0;
    LzwEncoder lzw;
    for (int compression : {1, 5, 32773}) {
        const char* name = compression == 1 ? "none" : compression == 5 ? "LZW" : "PackBits";
        if (!only.empty() && only != name) continue;
        fs::path dir = root / name;
        fs::create_directories(dir);
        std::vector<std::string> paths;
        double stored = 0;
        for (int z = 0; z < slices; ++z) {
            char file[32];
            std::snprintf(file, sizeof file, "z%04d.tif", z);
            paths.push_back((dir / file).string());
            std::string bytes = encode_slice(stack[static_cast<std::size_t>(z)], size, compression, lzw);
            stored += static_cast<double>(bytes.size()) / 1e6;
            std::FILE* f = std::fopen(paths.back().c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        // Every slice must decode to the phantom, through both readers.
        for (int z = 0; z < slices; ++z) {
            const auto& want = stack[static_cast<std::size_t>(z)];
            if (slicemesh::read_tiff_slice8(paths[static_cast<std::size_t>(z)]).samples != want) ++failures;
#ifdef SLICEMESH_BENCH_LIBTIFF
            if (libtiff_read(paths[static_cast<std::size_t>(z)]) != want) ++failures;
#endif
        }
        std::size_t sink = 0;
        double ours8 = seconds_of([&] {
            for (const std::string& p : paths) sink += slicemesh::read_tiff_slice8(p).samples[0];
        }, repeat);
        double ours16 = seconds_of([&] {
            for (const std::string& p : paths) sink += slicemesh::read_tiff_slice16(p).samples[0];
        }, repeat);
        double theirs = NAN;
#ifdef SLICEMESH_BENCH_LIBTIFF
        theirs = seconds_of([&] {
            for (const std::string& p : paths) sink += libtiff_read(p)[0];
        }, repeat);
#endif
        std::printf("| %s | %.1f | %.0f (%.0f MB/s) | %.0f | %.0f | %.2f | %.2f |\n", name, stored, ours8 * 1e3,
                    megabytes / ours8, ours16 * 1e3, theirs * 1e3, ours8 / theirs, ours16 / theirs);
        if (sink == 1) std::printf(" ");
    }
    if (keep.empty()) fs::remove_all(root);
#ifndef SLICEMESH_BENCH_LIBTIFF
    std::printf("\nlibtiff was not found at build time: no comparison.\n");
#endif
    if (failures != 0) {
        std::printf("\n%d slices decoded wrongly\n", failures);
        return 1;
    }
    return 0;
}
