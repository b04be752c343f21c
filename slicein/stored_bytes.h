#pragma once
// The stored bytes of one strip as the codecs fetch them: bounded by the strip's byte
// budget and by the end of the file, and mapped through the fill-order table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "slicein/diagnostics.h"
#include "slicein/slice_messages.h"

namespace slicemesh {

// FillOrder 1 keeps each byte, 2 reverses its bits (bit 7 becomes bit 0).
const std::array<std::uint8_t, 256>& fill_order_table(int fill_order);

struct StoredBytes {
    // [next, end) may still be fetched; end is where the budget or the file runs out.
    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;
    // At end the budget is spent; otherwise the file ended with budget left.
    bool budget_ends_first = true;
    const std::array<std::uint8_t, 256>* fill = &fill_order_table(1);

    // A strip of budget bytes whose data starts at file_bytes, of which available exist.
    static StoredBytes over(const std::uint8_t* file_bytes, std::size_t available, std::uint64_t budget,
                            int fill_order = 1) {
        StoredBytes s;
        s.next = file_bytes;
        s.budget_ends_first = budget <= available;
        s.end = file_bytes + (s.budget_ends_first ? static_cast<std::size_t>(budget) : available);
        s.fill = &fill_order_table(fill_order);
        return s;
    }

    // The byte budget is not yet 0.
    bool budget_left() const { return next != end || !budget_ends_first; }

    // One stored byte; budget_error names the codec's message for a spent budget.
    std::uint8_t fetch(std::string_view slice_path, std::string_view budget_error) {
        if (next == end) fail(slice_path, budget_error);
        return (*fill)[*next++];
    }
    // The next count stored bytes in place, before fill-order mapping.
    const std::uint8_t* take_raw(std::size_t count, std::string_view slice_path, std::string_view budget_error) {
        if (count > static_cast<std::size_t>(end - next)) fail(slice_path, budget_error);
        const std::uint8_t* p = next;
        next += count;
        return p;
    }
    bool maps_bytes() const { return fill != &fill_order_table(1); }

    // count stored bytes, as count fetches would deliver them.
    void copy(std::uint8_t* out, std::size_t count, std::string_view slice_path, std::string_view budget_error) {
        const std::uint8_t* from = take_raw(count, slice_path, budget_error);
        if (maps_bytes()) {
            for (std::size_t i = 0; i < count; ++i) out[i] = (*fill)[from[i]];
        } else {
            std::memcpy(out, from, count);
        }
    }

    [[noreturn]] void fail(std::string_view slice_path, std::string_view budget_error) const {
        fatal_in_slice(slice_path, budget_ends_first ? budget_error : slice_message::unexpected_eof);
    }
};

}  // namespace slicemesh
