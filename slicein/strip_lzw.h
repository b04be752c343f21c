#pragma once
// LZW strips as TIFF writes them: codes of 9 to 12 bits, most significant bit first,
// 256 clears the table, 257 ends the strip, and the code width grows one code early
// (when the next free code reaches 511, 1023 or 2047).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "slicein/stored_bytes.h"

namespace slicemesh {

class LzwStrip {
public:
    explicit LzwStrip(std::string_view slice_path);

    // A strip starts in the state that follows a clear code.
    void start(StoredBytes bytes);
    // The next count decoded bytes, valid until the next call.
    const std::uint8_t* take(std::size_t count);
    void read(std::uint8_t* out, std::size_t count);
    // Warns about decoded bytes left over, stored bytes after the next code, or a next
    // code that is not the end code (also accepted one bit narrower).
    void finish();

private:
    static constexpr int clear_code = 256;
    static constexpr int end_code = 257;
    static constexpr int first_free = 258;
    static constexpr int table_size = 4096;

    // A code's string is a run of earlier output since the last clear code, so it is
    // copied from there instead of walked byte by byte along its prefix chain.
    struct Entry {
        std::uint32_t at;      // where the string starts in history_
        std::uint32_t length;  // its bytes, 2 or more
    };

    int read_code();
    // Reads codes until one stands for a string and appends that string to history_.
    void next_string();
    // Room for length more bytes (and the slack of the step copies) at history_used_.
    std::uint8_t* history_room(std::size_t length);
    void grow_history(std::size_t need);

    std::string_view path_;
    StoredBytes in_;
    std::uint32_t bits_ = 0;      // stored bits; the low bit_pos_ bits follow the current code
    int bit_pos_ = 0;             // may go negative while a code is assembled
    int width_ = 9;               // 9 to 12
    int mask_ = 511;              // 2^width_ - 1
    int next_free_ = first_free;  // 258 to 4096: entries below it are valid
    int previous_ = clear_code;   // clear_code right after a clear code or at strip start
    std::uint8_t first_ = 0;      // first byte of the previous code's string
    std::size_t previous_at_ = 0;      // where the previous code's string starts in history_
    std::size_t previous_length_ = 0;  // and its length
    // Bytes decoded since the last clear code (and those of before it not yet delivered).
    std::size_t history_used_ = 0;
    std::size_t pending_at_ = 0;       // history_[pending_at_, history_used_) is not yet delivered
    std::array<Entry, table_size> table_;  // entries first_free to next_free_ - 1 are valid
    // Everything decoded since the last clear code: at most the 3839 strings of one
    // table, about 7.4 MB, and usually far less. Grows as codes arrive.
    std::vector<std::uint8_t> history_;
};

}  // namespace slicemesh
