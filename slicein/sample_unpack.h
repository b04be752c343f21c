#pragma once
// Turns the decoded bytes of a row into samples: 8 bits as they are, 16 bits in the
// file's byte order, any other width as a bit stream read most significant bit first.

#include <cstddef>
#include <cstdint>

namespace slicemesh {

// count samples of bits each from bytes; the stream starts at the top bit of bytes[0].
template <typename Sample>
void unpack_samples(const std::uint8_t* bytes, Sample* out, std::size_t count, int bits, bool big_endian) {
    if (bits == 8) {
        for (std::size_t i = 0; i < count; ++i) out[i] = bytes[i];
    } else if (bits == 16) {
        int high = big_endian ? 0 : 1;
        for (std::size_t i = 0; i < count; ++i, bytes += 2)
            out[i] = static_cast<Sample>(bytes[high] << 8 | bytes[1 - high]);
    } else if (8 % bits == 0) {
        // 1, 2 or 4 bits: whole samples per byte.
        const int per_byte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        std::size_t i = 0;
        for (; i + per_byte <= count; ++bytes) {
            unsigned b = *bytes;
            for (int k = per_byte - 1; k >= 0; --k) out[i++] = static_cast<Sample>((b >> (k * bits)) & mask);
        }
        for (int shift = 8 - bits; i < count; shift -= bits) out[i++] = static_cast<Sample>((*bytes >> shift) & mask);
    } else {
        const std::uint32_t mask = (1u << bits) - 1;
        std::uint32_t acc = 0;  // the low `held` bits are the stream's next bits
        int held = 0;
        for (std::size_t i = 0; i < count; ++i) {
            while (held < bits) {
                acc = acc << 8 | *bytes++;
                held += 8;
            }
            held -= bits;
            out[i] = static_cast<Sample>((acc >> held) & mask);
        }
    }
}

// Horizontal differencing: each sample was stored as the difference to its left neighbour.
template <typename Sample>
void undo_differencing(Sample* row, std::size_t width, int bits) {
    const unsigned mask = (1u << bits) - 1;
    for (std::size_t c = 1; c < width; ++c) row[c] = static_cast<Sample>((row[c - 1] + row[c]) & mask);
}

}  // namespace slicemesh
