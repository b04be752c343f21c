#pragma once
// Eight grid bytes at a time: the work grids mark cells with 0, so scans look for zero
// bytes a 64-bit word at a time.

#include <cstdint>
#include <cstring>

namespace slicemesh {

inline std::uint64_t load8(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 0x80 in every byte of w that is 0, nothing elsewhere (exact, no carries between bytes).
inline std::uint64_t zero_bytes(std::uint64_t w) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((w & low7) + low7) | w) & ~low7;
}

}  // namespace slicemesh
