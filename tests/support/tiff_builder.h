#pragma once
// Builds a TIFF file byte by byte from a tag map, in either byte order, so that tests can
// state a hostile or unusual header in a few lines. Layout: the 8-byte header, the strip
// data, out-of-line tag values, then the IFD (entries in the order given, duplicates kept).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace slicemesh::test {

namespace tiff_type {
inline constexpr std::uint16_t byte = 1;
inline constexpr std::uint16_t ascii = 2;
inline constexpr std::uint16_t short_ = 3;
inline constexpr std::uint16_t long_ = 4;
inline constexpr std::uint16_t rational = 5;
}  // namespace tiff_type

struct TiffEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = tiff_type::short_;
    std::vector<std::uint32_t> values;         // written in the type's size; count = values.size()
    std::optional<std::uint32_t> count;        // a count that differs from values.size()
    std::optional<std::uint32_t> value_field;  // raw value-or-offset field instead of values
};

class TiffBuilder {
public:
    explicit TiffBuilder(bool big_endian = false) : big_endian_(big_endian) {}

    // A minimal valid greyscale image: width, height, bits, photometric 1, and the
    // strips' offsets and byte counts (LONG) filled in at build time.
    static TiffBuilder image(std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                             std::vector<std::string> strips, bool big_endian = false) {
        TiffBuilder b(big_endian);
        b.set(256, tiff_type::long_, {width}).set(257, tiff_type::long_, {height}).set(258, tiff_type::short_, {bits});
        b.set(262, tiff_type::short_, {1});
        b.strips_ = std::move(strips);
        b.auto_strips_ = true;
        return b;
    }

    // Replaces the first entry of the tag, or appends one.
    TiffBuilder& set(std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values) {
        return set(TiffEntry{tag, type, std::move(values), std::nullopt, std::nullopt});
    }
    TiffBuilder& set(TiffEntry entry) {
        for (TiffEntry& e : entries_)
            if (e.tag == entry.tag) {
                e = std::move(entry);
                return *this;
            }
        entries_.push_back(std::move(entry));
        return *this;
    }
    // Appends an entry even when the tag is already there.
    TiffBuilder& add(TiffEntry entry) {
        entries_.push_back(std::move(entry));
        return *this;
    }
    TiffBuilder& remove(std::uint16_t tag) {
        std::erase_if(entries_, [&](const TiffEntry& e) { return e.tag == tag; });
        return *this;
    }
    // The strips' offset and byte-count tags are no longer filled in.
    TiffBuilder& manual_strips() {
        auto_strips_ = false;
        return *this;
    }
    TiffBuilder& strips(std::vector<std::string> data) {
        strips_ = std::move(data);
        return *this;
    }
    // Replaces the first four bytes (byte-order mark and 42).
    TiffBuilder& magic(std::string mark_and_number) {
        magic_ = std::move(mark_and_number);
        return *this;
    }

    // File offset of strip i's data in the built file.
    std::uint32_t strip_offset(std::size_t i) const {
        std::uint32_t at = 8;
        for (std::size_t k = 0; k < i; ++k) at += static_cast<std::uint32_t>(strips_[k].size());
        return at;
    }

    std::string build() const {
        std::vector<TiffEntry> entries = entries_;
        if (auto_strips_) {
            std::vector<std::uint32_t> offsets, counts;
            for (std::size_t i = 0; i < strips_.size(); ++i) {
                offsets.push_back(strip_offset(i));
                counts.push_back(static_cast<std::uint32_t>(strips_[i].size()));
            }
            auto put = [&](std::uint16_t tag, std::vector<std::uint32_t> v) {
                for (const TiffEntry& e : entries)
                    if (e.tag == tag) return;
                entries.push_back(TiffEntry{tag, tiff_type::long_, std::move(v), std::nullopt, std::nullopt});
            };
            put(273, offsets);
            put(279, counts);
        }
        std::string out = big_endian_ ? "MM" : "II";
        if (magic_) {
            out = *magic_;
        } else {
            put16(out, 42);
        }
        std::size_t ifd_offset_at = out.size();
        put32(out, 0);
        for (const std::string& s : strips_) out += s;
        // Out-of-line values first, remembering where each went.
        std::vector<std::uint32_t> field(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const TiffEntry& e = entries[i];
            std::string data = value_bytes(e);
            if (e.value_field) {
                field[i] = *e.value_field;
            } else if (data.size() > 4) {
                if (out.size() % 2) out.push_back('\0');
                field[i] = static_cast<std::uint32_t>(out.size());
                out += data;
            }
        }
        if (out.size() % 2) out.push_back('\0');
        std::uint32_t ifd = static_cast<std::uint32_t>(out.size());
        std::string offset_bytes;
        put32(offset_bytes, ifd);
        out.replace(ifd_offset_at, 4, offset_bytes);
        put16(out, static_cast<std::uint16_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const TiffEntry& e = entries[i];
            put16(out, e.tag);
            put16(out, e.type);
            put32(out, e.count.value_or(static_cast<std::uint32_t>(e.values.size())));
            std::string data = value_bytes(e);
            if (e.value_field || data.size() > 4) {
                put32(out, field[i]);
            } else {
                data.resize(4, '\0');
                out += data;
            }
        }
        put32(out, 0);  // no next IFD
        return out;
    }

private:
    static std::size_t type_size(std::uint16_t type) {
        switch (type) {
            case 3: case 8: return 2;
            case 4: case 9: case 11: return 4;
            case 5: case 10: case 12: return 8;
            default: return 1;
        }
    }
    std::string value_bytes(const TiffEntry& e) const {
        std::string data;
        for (std::uint32_t v : e.values) {
            switch (type_size(e.type)) {
                case 1: data.push_back(static_cast<char>(v)); break;
                case 2: put16(data, static_cast<std::uint16_t>(v)); break;
                case 4: put32(data, v); break;
                default: put32(data, v); put32(data, 1); break;
            }
        }
        return data;
    }
    void put16(std::string& out, std::uint16_t v) const {
        char lo = static_cast<char>(v & 0xFF), hi = static_cast<char>(v >> 8);
        out += big_endian_ ? std::string{hi, lo} : std::string{lo, hi};
    }
    void put32(std::string& out, std::uint32_t v) const {
        std::uint16_t lo = static_cast<std::uint16_t>(v & 0xFFFF), hi = static_cast<std::uint16_t>(v >> 16);
        put16(out, big_endian_ ? hi : lo);
        put16(out, big_endian_ ? lo : hi);
    }

    bool big_endian_;
    std::vector<TiffEntry> entries_;
    std::vector<std::string> strips_;
    bool auto_strips_ = false;
    std::optional<std::string> magic_;  // replaces the first four bytes
};

}  // namespace slicemesh::test
