#pragma once
// The TIFF header and the tag lookups of the first image file directory. Each lookup
// walks the entries from the start and stops at the first one with its tag, so a cut
// directory is noticed only by a lookup that reaches the cut.

#include <cstdint>
#include <string_view>

#include "slicein/slice_file.h"

namespace slicemesh {

struct ByteOrder {
    bool big_endian = false;  // "MM"; "II" is little-endian

    std::uint16_t u16(const std::uint8_t* p) const {
        return big_endian ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(const std::uint8_t* p) const {
        std::uint32_t a = u16(p);
        std::uint32_t b = u16(p + 2);
        return big_endian ? a << 16 | b : b << 16 | a;
    }
};

namespace tiff_tag {
inline constexpr std::uint16_t image_width = 256;
inline constexpr std::uint16_t image_length = 257;
inline constexpr std::uint16_t bits_per_sample = 258;
inline constexpr std::uint16_t compression = 259;
inline constexpr std::uint16_t photometric = 262;
inline constexpr std::uint16_t fill_order = 266;
inline constexpr std::uint16_t strip_offsets = 273;
inline constexpr std::uint16_t samples_per_pixel = 277;
inline constexpr std::uint16_t rows_per_strip = 278;
inline constexpr std::uint16_t strip_byte_counts = 279;
inline constexpr std::uint16_t planar_configuration = 284;
inline constexpr std::uint16_t predictor = 317;
}  // namespace tiff_tag

// One strip table (offsets or byte counts), its values still in the file's bytes.
struct StripTable {
    const std::uint8_t* values = nullptr;
    bool is_long = false;
    ByteOrder order;

    std::uint32_t operator[](std::uint64_t strip) const {
        return is_long ? order.u32(values + 4 * strip) : order.u16(values + 2 * strip);
    }
};

class Ifd {
public:
    // Reads the byte-order mark, 42 and the first IFD's offset.
    explicit Ifd(SliceFile& file);

    ByteOrder order() const { return order_; }

    // A single SHORT (or, with long_allowed, LONG) value; fallback when the tag is
    // absent, of another type or of a count other than 1.
    std::uint32_t single_value(std::uint16_t tag, bool long_allowed, std::uint32_t fallback);

    // The table of strip_count values; word is "offset" or "bytes count" for the messages.
    // The whole file must be loaded.
    StripTable strip_table(std::uint16_t tag, std::uint64_t strip_count, std::string_view word);

private:
    static constexpr std::uint16_t type_short = 3;
    static constexpr std::uint16_t type_long = 4;

    struct Found {
        bool present = false;
        std::uint16_t type = 0;
        std::uint64_t entry = 0;  // file position of the entry
    };
    Found find(std::uint16_t tag);

    SliceFile& file_;
    ByteOrder order_;
    std::uint32_t ifd_offset_ = 0;
};

}  // namespace slicemesh
