#include "slicein/tiff_ifd.h"

#include <string>

#include "slicein/slice_messages.h"

namespace slicemesh {

Ifd::Ifd(SliceFile& file) : file_(file) {
    std::uint8_t mark = file_.bytes(0, 1)[0];
    if (mark != 'I' && mark != 'M') file_.fail(slice_message::bad_magic);
    if (file_.bytes(1, 1)[0] != mark) file_.fail(slice_message::bad_magic);
    order_.big_endian = mark == 'M';
    if (order_.u16(file_.bytes(2, 2)) != 42) file_.fail(slice_message::bad_magic);
    ifd_offset_ = order_.u32(file_.bytes(4, 4));
}

Ifd::Found Ifd::find(std::uint16_t tag) {
    std::uint64_t count = order_.u16(file_.bytes(ifd_offset_, 2));
    std::uint64_t entry = std::uint64_t{ifd_offset_} + 2;
    for (std::uint64_t i = 0; i < count; ++i, entry += 12) {
        if (order_.u16(file_.bytes(entry, 2)) == tag) return Found{true, order_.u16(file_.bytes(entry + 2, 2)), entry};
    }
    return {};
}

std::uint32_t Ifd::single_value(std::uint16_t tag, bool long_allowed, std::uint32_t fallback) {
    Found f = find(tag);
    if (!f.present || !(f.type == type_short || (long_allowed && f.type == type_long))) return fallback;
    if (order_.u32(file_.bytes(f.entry + 4, 4)) != 1) return fallback;
    return f.type == type_short ? order_.u16(file_.bytes(f.entry + 8, 2)) : order_.u32(file_.bytes(f.entry + 8, 4));
}

StripTable Ifd::strip_table(std::uint16_t tag, std::uint64_t strip_count, std::string_view word) {
    Found f = find(tag);
    if (!f.present || !(f.type == type_short || f.type == type_long))
        file_.fail(std::string(slice_message::strip_table_missing) + std::string(word) + ".");
    if (order_.u32(file_.bytes(f.entry + 4, 4)) != strip_count)
        file_.fail(std::string(slice_message::strip_table_count) + std::string(word) + ".");
    StripTable table;
    table.is_long = f.type == type_long;
    table.order = order_;
    std::uint64_t size = strip_count * (table.is_long ? 4 : 2);
    std::uint64_t at = f.entry + 8;
    if (size > 4) at = order_.u32(file_.bytes(at, 4));
    // The values are checked to be in the file now and read strip by strip later.
    table.values = file_.bytes(at, size);
    return table;
}

}  // namespace slicemesh
