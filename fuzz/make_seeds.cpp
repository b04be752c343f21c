// Writes the seed inputs of every fuzz target into <folder>/<target>/: small images and
// strips written by libtiff, hand-made headers and code sequences for the cases libtiff
// never writes, colour tables, pixel patterns and VM records. Each seed ends with the
// option bytes its target strips off.

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/lzw_codes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_builder.h"
#include "tests/support/tiff_writer.h"

namespace {

using namespace slicemesh::test;
namespace fs = std::filesystem;
using Bytes = std::string;

fs::path out_root;

void put(const std::string& target, const std::string& name, const Bytes& payload, const Bytes& options) {
    fs::create_directories(out_root / target);
    std::ofstream((out_root / target / name), std::ios::binary) << payload << options;
}

std::vector<std::uint16_t> pattern(int width, int height, int bits) {
    std::vector<std::uint16_t> samples;
    const unsigned mask = (1u << bits) - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) samples.push_back(static_cast<std::uint16_t>((x * 7 + y * 3 + (x * y) % 5) & mask));
    return samples;
}

// A deterministic mix of runs and noise, so LZW codes reach every width.
std::vector<std::uint16_t> texture(int width, int height, int bits) {
    std::vector<std::uint16_t> samples;
    std::uint32_t state = 12345;
    const unsigned mask = (1u << bits) - 1;
    for (int i = 0; i < width * height; ++i) {
        state = state * 1103515245u + 12345u;
        samples.push_back(static_cast<std::uint16_t>(((state >> 16) % 4 == 0 ? state >> 8 : i / 9) & mask));
    }
    return samples;
}

struct Strips {
    Bytes tiff;                 // the whole file
    std::vector<Bytes> raw;     // each strip's stored bytes
};

Strips libtiff_file(const TempDir& tmp, int width, int height, int bits, const TiffOptions& options, bool textured) {
    std::string path = tmp.file("seed.tif");
    write_tiff(path, width, height, textured ? texture(width, height, bits) : pattern(width, height, bits), options);
    Strips s{read_file(path), {}};
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    for (tstrip_t i = 0; i < TIFFNumberOfStrips(tif); ++i) {
        Bytes raw(static_cast<std::size_t>(TIFFRawStripSize(tif, i)), '\0');
        TIFFReadRawStrip(tif, i, raw.data(), static_cast<tmsize_t>(raw.size()));
        s.raw.push_back(raw);
    }
    TIFFClose(tif);
    return s;
}

Bytes byte(int b) { return Bytes(1, static_cast<char>(b)); }

// Option byte 1 of a strip target, asking for about decoded bytes.
int wanted_option(std::size_t stored, std::size_t decoded) {
    std::size_t k = (8 * decoded + stored) / (stored + 1);
    return static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(k, 1), 256) - 1);
}

void tiff_seeds(const TempDir& tmp) {
    struct Case {
        const char* name;
        int width, height, bits;
        TiffOptions options;
    };
    const Case cases[] = {
        {"none-8-r3", 16, 8, 8, {8, 1, 1, 1, false, 3}},
        {"lzw-8-mm", 16, 8, 8, {8, 5, 1, 1, true, 0}},
        {"lzw-8-pred-r2", 16, 8, 8, {8, 5, 2, 1, false, 2}},
        {"packbits-8-fill2", 16, 8, 8, {8, 32773, 1, 2, false, 0}},
        {"none-4", 13, 5, 4, {4, 1, 1, 1, false, 0}},
        {"packbits-1-r2", 10, 4, 1, {1, 32773, 1, 1, true, 2}},
        {"lzw-2-fill2", 11, 6, 2, {2, 5, 1, 2, false, 0}},
        {"lzw-12-mm", 10, 6, 12, {12, 5, 1, 1, true, 2}},
        {"lzw-16-pred", 12, 6, 16, {16, 5, 2, 1, false, 0}},
        {"none-16-mm-r4", 7, 9, 16, {16, 1, 1, 1, true, 4}},
    };
    for (const Case& c : cases) {
        Bytes file = libtiff_file(tmp, c.width, c.height, c.bits, c.options, false).tiff;
        put("tiff_slice", std::string(c.name) + "-form8", file, byte(0));
        put("tiff_slice", std::string(c.name) + "-form16-memory", file, byte(3));
    }
    // Layouts libtiff does not write: SHORT strip tables held in the entry, no
    // PhotometricInterpretation, a PackBits run that crosses rows, duplicated tags.
    TiffBuilder short_strips = TiffBuilder::image(4, 4, 8, {"ABCDEFGH", "IJKLMNOP"}).set(278, tiff_type::short_, {2});
    short_strips.manual_strips().set(273, tiff_type::short_, {8, 16}).set(279, tiff_type::short_, {8, 8});
    put("tiff_slice", "short-strips", short_strips.build(), byte(0));
    put("tiff_slice", "no-photometric", TiffBuilder::image(3, 1, 8, {"abc"}).remove(262).build(), byte(1));
    Bytes run = {static_cast<char>(0xF9), 'x', 2, 'a', 'b', 'c'};
    put("tiff_slice", "packbits-across-rows",
        TiffBuilder::image(3, 3, 8, {run}).set(259, tiff_type::short_, {32773}).build(), byte(0));
    TiffBuilder twice = TiffBuilder::image(2, 2, 8, {"wxyz"}, true);
    twice.add(TiffEntry{256, tiff_type::short_, {9}, std::nullopt, std::nullopt});
    put("tiff_slice", "duplicate-width-mm", twice.build(), byte(1));
    Bytes lzw = pack_codes(std::vector<int>{256, 65, 66, 258, 260, 257});
    put("tiff_slice", "lzw-hand-made", TiffBuilder::image(7, 1, 8, {lzw}).set(259, tiff_type::short_, {5}).build(),
        byte(0));
}

void strip_seeds(const TempDir& tmp) {
    struct Case {
        const char* name;
        int compression, width, height, bits;
        bool textured;
    };
    const Case cases[] = {
        {"flat", 5, 16, 8, 8, false},   {"textured", 5, 64, 48, 8, true}, {"wide", 5, 256, 64, 8, true},
        {"four-bit", 5, 40, 20, 4, true}, {"flat", 32773, 16, 8, 8, false}, {"textured", 32773, 64, 48, 8, true},
    };
    for (const Case& c : cases) {
        TiffOptions options;
        options.bits_per_sample = c.bits;
        options.compression = c.compression;
        Bytes raw = libtiff_file(tmp, c.width, c.height, c.bits, options, c.textured).raw.at(0);
        std::size_t decoded = static_cast<std::size_t>((c.width * c.bits + 7) / 8) * c.height;
        std::string target = c.compression == 5 ? "strip_lzw" : "strip_packbits";
        int wanted = wanted_option(raw.size(), decoded);
        // Reads of one byte, of 64 and of 65536; the last with FillOrder 2.
        put(target, std::string(c.name) + "-read1", raw, byte(0 << 3) + byte(wanted));
        put(target, std::string(c.name) + "-read64", raw, byte(4 << 3) + byte(wanted));
        put(target, std::string(c.name) + "-read65536-budget-half", raw, byte(7 << 3 | 1 << 1) + byte(wanted));
    }
    // Code sequences of the edge cases: the next free code used at once, no leading
    // clear code, an end code one bit narrower, a code after a clear code that is too big.
    auto codes = [](const char* name, const Bytes& stored, std::size_t decoded) {
        put("strip_lzw", name, stored, byte(0) + byte(wanted_option(stored.size(), decoded)));
    };
    codes("kwkwk", pack_codes(std::vector<int>{65, 66, 258, 260, 257}), 7);
    codes("no-clear", pack_codes(std::vector<int>{1, 2, 3, 257}), 3);
    std::vector<std::pair<int, int>> narrow = with_widths(std::vector<int>{256, 7});
    for (int i = 0; i < 253; ++i) narrow.emplace_back(7, 9);  // the next free code reaches 511
    narrow.emplace_back(257, 9);
    codes("narrow-end", pack_codes(narrow), 254);
    codes("bad-first", pack_codes(std::vector<int>{256, 300}), 1);
    Bytes runs{static_cast<char>(0xFE), 'A', static_cast<char>(0x80), 2, 'x', 'y', 'z'};
    put("strip_packbits", "runs", runs, byte(0) + byte(wanted_option(runs.size(), 6)));
    // Uncompressed: the whole strip, one byte short of it, and the file ending first.
    put("strip_none", "exact", "stored bytes", byte(3 << 3) + byte(wanted_option(12, 12)));
    put("strip_none", "one-short", "stored bytes", byte(3 << 3 | 3 << 1) + byte(wanted_option(12, 12)));
    put("strip_none", "file-ends-first", "stored", byte(4 << 3 | 2 << 1 | 1) + byte(2));
}

void colour_table_seeds() {
    const char* tables[] = {
        "",
        "\n1 2\n",
        "0 128 0 0 0 255 255 255\n",
        "10\n10 # comment\n",
        "1 255 0 0 255\n7\n",
        "1 10 255 0 0\n\n20\n",
        "3 2 0 0 0\n",
        "0 256\n",
        "5 0 0 300\n",
        "1 2 3\n",
        "# comment\n",
        "  7   8 1 2 3 4 5 6 -\n99999999999999999999 1\n",
        "-1\n",
        "200 255 9 8 7 255 0 255\n0 0 1 1 1\n17 17\r\n",
    };
    int k = 0;
    for (const char* table : tables) {
        put("colour_table", "table" + std::to_string(k) + "-stream", table, byte(0));
        put("colour_table", "table" + std::to_string(k) + "-file", table, byte(1));
        ++k;
    }
    Bytes long_line(300, ' ');
    long_line.replace(250, 4, "1 20");
    put("colour_table", "long-line", long_line + "\n30\n", byte(0));
}

void gif_seeds() {
    Bytes noise, ramp, zeros(9000, '\0');
    std::uint32_t state = 7;
    for (int i = 0; i < 24000; ++i) {
        state = state * 1664525u + 1013904223u;
        noise.push_back(static_cast<char>(state >> 24));
    }
    for (int i = 0; i < 5000; ++i) ramp.push_back(static_cast<char>(i / 3));
    // Masks 0xFF, 0x0F, 0x01 and 0x00 (index 0, 2, 4, 5 in bits 1-3).
    put("gif_lzw", "noise-full", noise, byte(0 << 1) + byte(99));
    put("gif_lzw", "noise-nibble", noise, byte(2 << 1) + byte(255));
    put("gif_lzw", "noise-bit", noise, byte(4 << 1) + byte(31));
    put("gif_lzw", "zeros", zeros, byte(5 << 1) + byte(0));
    put("gif_lzw", "ramp", ramp, byte(0) + byte(63));
    put("gif_lzw", "rgb-few", noise.substr(0, 6000), byte(1 | 4 << 1) + byte(40));
    put("gif_lzw", "rgb-many", noise.substr(0, 9000), byte(1) + byte(59));
}

void vm_seeds() {
    Bytes set;
    for (int k = 0; k < 6 * 5; ++k)
        for (int i = 0; i < 16; ++i) set.push_back(static_cast<char>((k * 37 + i * 11) ^ (i == 13 ? 0xFF : 0)));
    put("vm_s", "records", set, byte(0));
    put("vm_s", "records-missing-pz", set, byte(6));
    put("vm_s", "partial-records", set.substr(0, 6 * 16 + 5), byte(0));
    // The coloured records are 18 bytes: the same bytes make 6 x 4 of them and a rest.
    put("vm_m", "records", set, byte(0));
    put("vm_m", "records-missing-mx", set, byte(1));
    put("vm_m", "partial-records", set.substr(0, 6 * 18 + 7), byte(0));
}

void slice_list_seeds() {
    // Option bit 0 turns the text into an inline list, so "-n" becomes the option "--n".
    const std::pair<const char*, int> lists[] = {
        {"a\nb\n", 0},          {"a.tif extra words\n   \nb", 2}, {"\n\n \n", 0}, {"b\na\nmissing\n", 0},
        {"a  b", 1},             {"-n", 1},                      {"-rn", 3},       {"-", 1},
        {"-x", 1},               {"", 1},                        {"b", 2},
    };
    int k = 0;
    for (auto [text, options] : lists) put("slice_list", "list" + std::to_string(k++), text, byte(options));
    put("slice_list", "long-line", Bytes(1021, 'a') + "\n" + Bytes(1022, 'b') + "\n", byte(0));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds folder\n");
        return 2;
    }
    out_root = argv[1];
    fs::remove_all(out_root);
    TempDir tmp;
    tiff_seeds(tmp);
    strip_seeds(tmp);
    colour_table_seeds();
    gif_seeds();
    vm_seeds();
    slice_list_seeds();
    return 0;
}
