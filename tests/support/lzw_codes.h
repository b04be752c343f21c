#pragma once
// Packs TIFF LZW codes most significant bit first, either at given widths or at the
// widths a decoder expects (growing one code early, back to 9 bits after a clear code).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace slicemesh::test {

// (code, width) pairs; the last byte is padded with zero bits.
inline std::string pack_codes(const std::vector<std::pair<int, int>>& codes) {
    std::string out;
    std::uint32_t acc = 0;
    int held = 0;
    for (auto [code, width] : codes) {
        acc = acc << width | static_cast<std::uint32_t>(code);
        held += width;
        while (held >= 8) {
            held -= 8;
            out.push_back(static_cast<char>(acc >> held));
        }
    }
    if (held > 0) out.push_back(static_cast<char>(acc << (8 - held)));
    return out;
}

// The widths a TIFF decoder reads the codes at.
inline std::vector<std::pair<int, int>> with_widths(const std::vector<int>& codes) {
    std::vector<std::pair<int, int>> out;
    int width = 9;
    int next_free = 258;
    bool after_clear = true;
    for (int code : codes) {
        out.emplace_back(code, width);
        if (code == 256) {
            width = 9;
            after_clear = true;
        } else if (code == 257) {
        } else if (after_clear) {
            next_free = 258;
            after_clear = false;
        } else if (++next_free == (1 << width) - 1 && width < 12) {
            ++width;
        }
    }
    return out;
}

inline std::string pack_codes(const std::vector<int>& codes) { return pack_codes(with_widths(codes)); }

}  // namespace slicemesh::test
