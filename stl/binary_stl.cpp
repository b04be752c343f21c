#include "stl/binary_stl.h"

#include <array>
#include <bit>

#include "slicein/diagnostics.h"

namespace slicemesh {

namespace {

// Little-endian whatever the host order: each element is stored byte by byte.
void put_u32le(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

void put_float(unsigned char* p, float value) { put_u32le(p, std::bit_cast<std::uint32_t>(value)); }

// The normal of each direction, with exact -1.0, +0.0 and 1.0 components.
std::array<float, 3> facet_normal(Direction d) {
    std::array<int, 3> n = normal_of(d);
    return {static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
}

}  // namespace

void BinaryStlWriter::flush_or_fail(std::string_view message) {
    if (!out_.flush()) fatal(message);
}

void BinaryStlWriter::begin_patched_count() {
    static constexpr unsigned char zeros[stl_header_size + 4] = {};
    out_.write(zeros, sizeof zeros);
    flush_or_fail(stl_header_write_error);
}

void BinaryStlWriter::begin_leading_count(std::uint32_t total) {
    static constexpr unsigned char zeros[stl_header_size] = {};
    out_.write(zeros, sizeof zeros);
    flush_or_fail(stl_header_write_error);
    unsigned char count[4];
    put_u32le(count, total);
    out_.write(count, sizeof count);
    flush_or_fail(stl_facets_write_error);
}

void BinaryStlWriter::facet(Direction d, int p, int u0, int v0, int u1, int v1, int u2, int v2,
                            std::uint16_t word) {
    // Products in double, then rounded once to single precision.
    auto scaled = [this](std::array<int, 3> xyz) {
        return std::array<float, 3>{static_cast<float>(xyz[0] * units_.x), static_cast<float>(xyz[1] * units_.y),
                                    static_cast<float>(xyz[2] * units_.z)};
    };
    const std::array<std::array<float, 3>, 4> vectors = {
        facet_normal(d), scaled(corner_xyz(d, p, u0, v0)), scaled(corner_xyz(d, p, u1, v1)),
        scaled(corner_xyz(d, p, u2, v2))};
    unsigned char record[stl_facet_size];
    unsigned char* at = record;
    for (const std::array<float, 3>& vec : vectors)
        for (float f : vec) {
            put_float(at, f);
            at += 4;
        }
    record[48] = static_cast<unsigned char>(word);
    record[49] = static_cast<unsigned char>(word >> 8);
    out_.write(record, sizeof record);
    ++count_;
}

void BinaryStlWriter::flush_facets() { flush_or_fail(stl_data_write_error); }

void BinaryStlWriter::finish_patched_count() {
    flush_facets();
    std::FILE* stream = out_.stream();
    unsigned char count[4];
    put_u32le(count, count_);
    if (std::fseek(stream, static_cast<long>(stl_header_size), SEEK_SET) != 0 ||
        std::fwrite(count, 1, sizeof count, stream) != sizeof count || std::fflush(stream) != 0)
        fatal(stl_trailer_write_error);
}

}  // namespace slicemesh
