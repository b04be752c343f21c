#include "tools/plainfacets/face_sweep.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>  // compiler-provided; every x86-64 has SSE2
#endif

namespace slicemesh::sweep_detail {

void reset_grid(Outline& outline, int rows, int columns) {
    for (int r = 0; r < rows; ++r) std::memset(outline.work_row(r), 1, static_cast<std::size_t>(columns));
}

FaceSpan update_cells(std::uint8_t* cells, const std::uint8_t* solid, int count) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
    FaceSpan span{count, -1};
    int i = 0;
#if defined(__SSE2__)
    // Sixteen cells at a time; (x & 1) << 1 is (x & 1) + (x & 1), as SSE2 has no byte shift.
    const __m128i one = _mm_set1_epi8(1);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + i));
        __m128i flags = _mm_loadu_si128(reinterpret_cast<const __m128i*>(solid + i));
        __m128i was_solid = _mm_andnot_si128(old, one);
        __m128i now = _mm_or_si128(_mm_add_epi8(was_solid, was_solid), _mm_andnot_si128(flags, one));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + i), now);
        unsigned faces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(now, zero)));
        if (faces != 0) {
            if (span.first == count) span.first = i + std::countr_zero(faces);
            span.last = i + 31 - std::countl_zero(faces);
        }
    }
#endif
    // Eight cells at a time: every cell byte is 0..3 and every flag 0 or 1, so the
    // update works bytewise in a 64-bit word.
    for (; i + 8 <= count; i += 8) {
        std::uint64_t old, flags;
        std::memcpy(&old, cells + i, 8);
        std::memcpy(&flags, solid + i, 8);
        std::uint64_t now = ((~old & ones) << 1) | (~flags & ones);
        std::memcpy(cells + i, &now, 8);
        std::uint64_t zero = ~(((now & low7) + low7) | now) & ~low7;
        if (zero != 0) {
            if (span.first == count) span.first = i + (std::countr_zero(zero) >> 3);
            span.last = i + ((63 - std::countl_zero(zero)) >> 3);
        }
    }
    for (; i < count; ++i) {
        std::uint8_t now = static_cast<std::uint8_t>(((~cells[i] & 1) << 1) | (~solid[i] & 1));
        cells[i] = now;
        if (now == 0) {
            if (span.first == count) span.first = i;
            span.last = i;
        }
    }
    return span;
}

}  // namespace slicemesh::sweep_detail
