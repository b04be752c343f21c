#include "slicein/strip_lzw.h"

#include <algorithm>
#include <cstring>

namespace slicemesh {

LzwStrip::LzwStrip(std::string_view slice_path) : path_(slice_path), table_{}, string_{} {
    for (int c = 0; c < 256; ++c) {
        auto byte = static_cast<std::uint8_t>(c);
        table_[static_cast<std::size_t>(c)] = Entry{0, 1, byte, byte};
    }
}

void LzwStrip::start(StoredBytes bytes) {
    in_ = bytes;
    bits_ = 0;
    bit_pos_ = 0;
    width_ = 9;
    mask_ = 511;
    pending_ = 0;
    previous_ = clear_code;
    next_free_ = first_free;
}

int LzwStrip::read_code() {
    bit_pos_ -= width_;
    while (bit_pos_ < 0) {
        bits_ = (bits_ << 8) | in_.fetch(path_, slice_message::lzw_too_few);
        bit_pos_ += 8;
    }
    return static_cast<int>(bits_ >> bit_pos_) & mask_;
}

// Reads codes until one stands for a string, updating the table; returns that code.
int LzwStrip::next_string_code() {
    for (;;) {
        int code = read_code();
        if (code == end_code) fatal_in_slice(path_, slice_message::lzw_early_end);
        if (code == clear_code) {
            width_ = 9;
            mask_ = 511;
            previous_ = clear_code;
            continue;
        }
        if (previous_ == clear_code) {
            if (code > 255) fatal_in_slice(path_, slice_message::lzw_bad_first);
            first_ = static_cast<std::uint8_t>(code);
            next_free_ = first_free;
            previous_ = code;
            return code;
        }
        if (next_free_ == table_size) fatal_in_slice(path_, slice_message::lzw_table_full);
        if (code > next_free_) fatal_in_slice(path_, slice_message::lzw_bad_code);
        // A code equal to next_free_ is the previous string plus its own first byte.
        std::uint8_t string_first = code < next_free_ ? table_[static_cast<std::size_t>(code)].first : first_;
        const Entry& prev = table_[static_cast<std::size_t>(previous_)];
        table_[static_cast<std::size_t>(next_free_)] =
            Entry{static_cast<std::uint16_t>(previous_), static_cast<std::uint16_t>(prev.length + 1), string_first,
                  first_};
        ++next_free_;
        if (next_free_ == mask_ && width_ < 12) {
            ++width_;
            mask_ = 2 * mask_ + 1;
        }
        first_ = string_first;
        previous_ = code;
        return code;
    }
}

void LzwStrip::write_string(int code, std::uint8_t* end) const {
    while (code > 255) {
        const Entry& e = table_[static_cast<std::size_t>(code)];
        *--end = e.suffix;
        code = e.prefix;
    }
    *--end = static_cast<std::uint8_t>(code);
}

void LzwStrip::read(std::uint8_t* out, std::size_t count) {
    while (count != 0) {
        if (pending_ != 0) {
            std::size_t n = std::min(static_cast<std::size_t>(pending_), count);
            std::memcpy(out, string_.data() + pending_at_, n);
            pending_at_ += static_cast<int>(n);
            pending_ -= static_cast<int>(n);
            out += n;
            count -= n;
            continue;
        }
        int code = next_string_code();
        if (code < 256) {
            *out++ = static_cast<std::uint8_t>(code);
            --count;
            continue;
        }
        std::size_t length = table_[static_cast<std::size_t>(code)].length;
        if (length <= count) {
            write_string(code, out + length);
            out += length;
            count -= length;
        } else {
            write_string(code, string_.data() + length);
            std::memcpy(out, string_.data(), count);
            pending_at_ = static_cast<int>(count);
            pending_ = static_cast<int>(length - count);
            count = 0;
        }
    }
}

void LzwStrip::finish() {
    if (pending_ != 0) {
        warn_in_slice(path_, slice_message::lzw_extra_data);
        return;
    }
    // Peek at the next code; running out of budget here is no error.
    bit_pos_ -= width_;
    while (bit_pos_ < 0 && in_.budget_left()) {
        bits_ = (bits_ << 8) | in_.fetch(path_, slice_message::lzw_too_few);
        bit_pos_ += 8;
    }
    if (in_.budget_left()) {
        warn_in_slice(path_, slice_message::lzw_extra_code);
        return;
    }
    bool ends = bit_pos_ >= 0 && (static_cast<int>(bits_ >> bit_pos_) & mask_) == end_code;
    // Some encoders widen one code late and write the end code one bit narrower.
    if (!ends && bit_pos_ >= -1)
        ends = (static_cast<int>(bits_ >> (bit_pos_ + 1)) & ((mask_ - 1) / 2)) == end_code;
    if (!ends) warn_in_slice(path_, slice_message::lzw_no_end);
}

}  // namespace slicemesh
