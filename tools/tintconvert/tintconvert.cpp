#include "tools/tintconvert/tintconvert.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "slicein/diagnostics.h"
#include "stl/binary_stl.h"
#include "vm/face_file.h"
#include "vm/face_files.h"
#include "vm/trigon.h"

namespace slicemesh {

namespace {

// One face file of the set, opened and counted before any output exists.
struct CountedFaceFile {
    std::string name;
    FaceStream stream;
    std::uint64_t count = 0;
};

CountedFaceFile open_counted(std::string_view base, Direction d) {
    CountedFaceFile file{face_file_name(base, d, 'm'), nullptr, 0};
    file.stream.reset(std::fopen(file.name.c_str(), "rb"));
    if (!file.stream) fatal(file.name + " : VM file not found.");
    std::FILE* f = file.stream.get();
    long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
    if (size < 0 || size % static_cast<long>(trigon_size) != 0 || std::fseek(f, 0, SEEK_SET) != 0)
        fatal(file.name + " : bad number of trigons.");
    file.count = static_cast<std::uint64_t>(size) / trigon_size;
    return file;
}

// Streams the counted records of one file as facets of its direction, a block at a time.
void convert(CountedFaceFile& file, Direction d, BinaryStlWriter& stl) {
    constexpr std::size_t block = 4096;
    std::vector<TrigonRecord> records(block);
    for (std::uint64_t left = file.count; left != 0;) {
        std::size_t want = left < block ? static_cast<std::size_t>(left) : block;
        std::size_t got = std::fread(records.data(), trigon_size, want, file.stream.get());
        for (std::size_t i = 0; i < got; ++i) {
            TrigonColour c = trigon_colour(records[i].data());
            stl.facet(decode_plane_triangle(records[i].data(), d), colour_word(c.red, c.green, c.blue));
        }
        if (got != want) fatal(file.name + " : trigon data read error.");
        left -= got;
    }
    file.stream.reset();
}

}  // namespace

int run_tintconvert(int argc, char** argv) {
    if (argc != 3 && argc != 6) fatal("usage : tintconvert VM {unitX unitY unitZ} STL");
    std::array<CountedFaceFile, 6> files;
    std::uint64_t total = 0;
    for (Direction d : all_directions) {
        CountedFaceFile& file = files[static_cast<std::size_t>(index_of(d))];
        file = open_counted(argv[1], d);
        total += file.count;
        // The count field has 32 bits; a larger set would get a count that lies.
        if (total > std::numeric_limits<std::uint32_t>::max()) fatal(file.name + " : bad number of trigons.");
    }
    UnitFactors units;
    if (argc == 6) units = unit_factors_from(argv + 2);

    const char* out_name = argv[argc - 1];
    FileHandle out_file;
    std::FILE* out = stdout;
    if (out_name[0] != '-') {
        out_file.reset(std::fopen(out_name, "wb"));
        if (!out_file) fatal("STL file not open.");
        out = out_file.get();
    }
    {
        BinaryStlWriter stl(out, units);
        stl.begin_leading_count(static_cast<std::uint32_t>(total));
        for (Direction d : all_directions) convert(files[static_cast<std::size_t>(index_of(d))], d, stl);
        stl.flush_facets();
    }
    return 0;
}

}  // namespace slicemesh
