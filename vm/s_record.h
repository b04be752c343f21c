#pragma once
// The 16-byte uncoloured trigon record of "_s" face files: six little-endian 16-bit
// corner coordinates, the 16-bit plane coordinate, and two bytes nobody reads.
// Its first 14 bytes are laid out as in the coloured "_m" record.

#include <cstddef>
#include <cstdint>

#include "stl/face_direction.h"

namespace slicemesh {

inline constexpr std::size_t s_record_size = 16;

inline std::uint16_t get_u16le(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Corners and plane of the first 14 bytes of an "_s" or "_m" record.
inline PlaneTriangle decode_plane_triangle(const unsigned char* record, Direction d) {
    PlaneTriangle t{d, get_u16le(record + 12), {}, {}};
    for (std::size_t k = 0; k < 3; ++k) {
        t.u[k] = get_u16le(record + 4 * k);
        t.v[k] = get_u16le(record + 4 * k + 2);
    }
    return t;
}

}  // namespace slicemesh
