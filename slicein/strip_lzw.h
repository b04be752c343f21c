#pragma once
// LZW strips as TIFF writes them: codes of 9 to 12 bits, most significant bit first,
// 256 clears the table, 257 ends the strip, and the code width grows one code early
// (when the next free code reaches 511, 1023 or 2047).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "slicein/stored_bytes.h"

namespace slicemesh {

class LzwStrip {
public:
    explicit LzwStrip(std::string_view slice_path);

    // A strip starts in the state that follows a clear code.
    void start(StoredBytes bytes);
    void read(std::uint8_t* out, std::size_t count);
    // Warns about decoded bytes left over, stored bytes after the next code, or a next
    // code that is not the end code (also accepted one bit narrower).
    void finish();

private:
    static constexpr int clear_code = 256;
    static constexpr int end_code = 257;
    static constexpr int first_free = 258;
    static constexpr int table_size = 4096;
    static constexpr int longest_string = table_size - first_free + 1;

    struct Entry {
        std::uint16_t prefix;  // code of the string without its last byte
        std::uint16_t length;  // bytes in the string, 1 for codes below 256
        std::uint8_t suffix;   // last byte of the string
        std::uint8_t first;    // first byte of the string
    };

    int read_code();
    int next_string_code();
    // Writes the string of code (length bytes) ending just before end.
    void write_string(int code, std::uint8_t* end) const;

    std::string_view path_;
    StoredBytes in_;
    std::uint32_t bits_ = 0;      // stored bits; the low bit_pos_ bits follow the current code
    int bit_pos_ = 0;             // may go negative while a code is assembled
    int width_ = 9;               // 9 to 12
    int mask_ = 511;              // 2^width_ - 1
    int next_free_ = first_free;  // 258 to 4096: entries below it are valid
    int previous_ = clear_code;   // clear_code right after a clear code or at strip start
    std::uint8_t first_ = 0;      // first byte of the previous code's string
    int pending_ = 0;             // bytes of string_ not yet delivered, from pending_at_ on
    int pending_at_ = 0;
    std::array<Entry, table_size> table_;           // codes 0-255 fixed, 258 and up per strip
    std::array<std::uint8_t, longest_string> string_;  // the last string when it did not fit
};

}  // namespace slicemesh
