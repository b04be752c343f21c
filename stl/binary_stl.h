#pragma once
// Binary STL with a 16-bit colour word per facet: 80 zero header bytes, a 32-bit facet
// count and 50-byte facet records, little-endian on every host.
//
// The count is either written before the facets (the caller knows the total) or patched
// at byte 80 once the last facet is out (the stream must then be seekable). Facets go
// through one large buffer; each region of the file has its own write-error message, so
// the buffer is flushed at the region boundaries to tell the failures apart.

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "slicein/out_buffer.h"
#include "stl/face_direction.h"
#include "stl/unit_factors.h"

namespace slicemesh {

inline constexpr std::string_view stl_header_write_error = "STL header write error.";
inline constexpr std::string_view stl_facets_write_error = "STL facets write error.";
inline constexpr std::string_view stl_data_write_error = "STL data write error.";
inline constexpr std::string_view stl_trailer_write_error = "STL trailer write error.";

inline constexpr std::size_t stl_header_size = 80;
inline constexpr std::size_t stl_facet_size = 50;

// Bit 15 set, then the top five bits of each component, first component highest.
constexpr std::uint16_t colour_word(std::uint8_t first, std::uint8_t second, std::uint8_t third) {
    return static_cast<std::uint16_t>(0x8000 | (first & 0xF8) << 7 | (second & 0xF8) << 2 | (third & 0xF8) >> 3);
}

class BinaryStlWriter {
public:
    // stream is not owned; closing it is the caller's.
    BinaryStlWriter(std::FILE* stream, UnitFactors units) : out_(stream), units_(units) {}

    // 84 zero bytes: the header and a provisional count of 0.
    void begin_patched_count();
    // The header and the final count of the facets that will follow.
    void begin_leading_count(std::uint32_t total);

    // One facet of direction d in plane p with corners (u0, v0), (u1, v1), (u2, v2) in the
    // order received, for either sign of an axis.
    void facet(Direction d, int p, int u0, int v0, int u1, int v1, int u2, int v2, std::uint16_t word);
    void facet(const PlaneTriangle& t, std::uint16_t word) {
        facet(t.direction, t.plane, t.u[0], t.v[0], t.u[1], t.v[1], t.u[2], t.v[2], word);
    }

    // Writes out the buffered facets; with a leading count this ends the file.
    void flush_facets();
    // Flushes the facets, then writes the facet counter at byte 80.
    void finish_patched_count();

    std::uint32_t facet_count() const { return count_; }

private:
    void flush_or_fail(std::string_view message);

    OutBuffer out_;
    UnitFactors units_;
    std::uint32_t count_ = 0;  // facets handed to the buffer so far
};

}  // namespace slicemesh
