#pragma once
// The 18-byte coloured trigon record of "_m" face files and of the in-memory trigon
// lists: six little-endian 16-bit corner coordinates (u, v per corner), the 16-bit plane
// coordinate, red, green, blue and a pad byte. Memory and files hold the same bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vm/s_record.h"

namespace slicemesh {

inline constexpr std::size_t trigon_size = 18;
using TrigonRecord = std::array<std::uint8_t, trigon_size>;
static_assert(sizeof(TrigonRecord) == trigon_size, "records are stored back to back");

// The trigons of one face direction. count can exceed records.size(): while a file set is
// written the records go to the face file and only their number is kept here.
struct TrigonList {
    std::size_t count = 0;
    std::vector<TrigonRecord> records;
};

// Corners in the order received (their low 16 bits), the plane, and the colour key
// red | green << 8 | blue << 16; the pad byte is 0.
inline TrigonRecord make_trigon(int ua, int va, int ub, int vb, int uc, int vc, int plane, int key) {
    TrigonRecord r{};
    const int fields[7] = {ua, va, ub, vb, uc, vc, plane};
    for (std::size_t i = 0; i < 7; ++i) {
        r[2 * i] = static_cast<std::uint8_t>(fields[i]);
        r[2 * i + 1] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
    r[14] = static_cast<std::uint8_t>(key);
    r[15] = static_cast<std::uint8_t>(key >> 8);
    r[16] = static_cast<std::uint8_t>(key >> 16);
    return r;
}

struct TrigonColour {
    std::uint8_t red, green, blue;
};

// Bytes 14 to 16 of a record; byte 17 carries nothing.
inline TrigonColour trigon_colour(const unsigned char* record) { return {record[14], record[15], record[16]}; }

}  // namespace slicemesh
