#include "slicein/strip_lzw.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace slicemesh {

namespace {

// Strings are short and many: copying in 16-byte steps beats a library call. It reads and
// writes up to 15 bytes past count, so both sides need that much room. The source may end
// just where the destination starts: each step is a memmove, and the bytes it takes from
// the destination side lie beyond count.
constexpr std::size_t step = 16;
void copy_in_steps(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
    for (std::size_t i = 0; i < count; i += step) std::memmove(dst + i, src + i, step);
}

}  // namespace

LzwStrip::LzwStrip(std::string_view slice_path) : path_(slice_path), table_{} {}

void LzwStrip::start(StoredBytes bytes) {
    in_ = bytes;
    bits_ = 0;
    bit_pos_ = 0;
    width_ = 9;
    mask_ = 511;
    previous_ = clear_code;
    next_free_ = first_free;
    history_used_ = 0;
    pending_at_ = 0;
}

int LzwStrip::read_code() {
    bit_pos_ -= width_;
    // A code needs at most two more bytes; with both at hand no budget check is needed.
    if (bit_pos_ < 0 && in_.end - in_.next >= 2) {
        const std::array<std::uint8_t, 256>& fill = *in_.fill;
        bits_ = (bits_ << 8) | fill[*in_.next++];
        bit_pos_ += 8;
        if (bit_pos_ < 0) {
            bits_ = (bits_ << 8) | fill[*in_.next++];
            bit_pos_ += 8;
        }
    }
    while (bit_pos_ < 0) {
        bits_ = (bits_ << 8) | in_.fetch(path_, slice_message::lzw_too_few);
        bit_pos_ += 8;
    }
    return static_cast<int>(bits_ >> bit_pos_) & mask_;
}

inline std::uint8_t* LzwStrip::history_room(std::size_t length) {
    std::size_t need = history_used_ + length + step;
    if (need > history_.size()) grow_history(need);
    return history_.data() + history_used_;
}

void LzwStrip::grow_history(std::size_t need) {
    try {
        history_.resize(std::max(need, 2 * history_.size() + 4096));
    } catch (const std::bad_alloc&) {
        fatal_in_slice(path_, slice_message::no_cell_memory);
    }
}

void LzwStrip::next_string() {
    for (;;) {
        int code = read_code();
        if (code == end_code) fatal_in_slice(path_, slice_message::lzw_early_end);
        if (code == clear_code) {
            width_ = 9;
            mask_ = 511;
            previous_ = clear_code;
            // New strings start afresh; what is not yet delivered moves to the front.
            std::size_t keep = history_used_ - pending_at_;
            if (keep != 0) std::memmove(history_.data(), history_.data() + pending_at_, keep);
            history_used_ = keep;
            pending_at_ = 0;
            continue;
        }
        if (previous_ == clear_code) {
            if (code > 255) fatal_in_slice(path_, slice_message::lzw_bad_first);
            next_free_ = first_free;
        } else {
            if (next_free_ == table_size) fatal_in_slice(path_, slice_message::lzw_table_full);
            if (code > next_free_) fatal_in_slice(path_, slice_message::lzw_bad_code);
            // The new entry: the previous string and the first byte of this one, which
            // is where this code's output will start.
            table_[static_cast<std::size_t>(next_free_)] =
                Entry{static_cast<std::uint32_t>(previous_at_), static_cast<std::uint32_t>(previous_length_ + 1)};
            ++next_free_;
            if (next_free_ == mask_ && width_ < 12) {
                ++width_;
                mask_ = 2 * mask_ + 1;
            }
        }
        std::size_t at = history_used_;
        std::size_t length;
        if (code < 256) {
            length = 1;
            *history_room(1) = static_cast<std::uint8_t>(code);
            first_ = static_cast<std::uint8_t>(code);
        } else if (code == next_free_ - 1 && previous_ != clear_code) {
            // The entry just made: the previous string followed by its own first byte.
            length = previous_length_ + 1;
            std::uint8_t* out = history_room(length);
            copy_in_steps(out, history_.data() + previous_at_, previous_length_);
            out[previous_length_] = first_;
        } else {
            const Entry& e = table_[static_cast<std::size_t>(code)];
            length = e.length;
            std::uint8_t* out = history_room(length);
            const std::uint8_t* from = history_.data() + e.at;
            first_ = *from;  // from the source: the copy's stores may still be in flight
            copy_in_steps(out, from, length);
        }
        history_used_ += length;
        previous_ = code;
        previous_at_ = at;
        previous_length_ = length;
        return;
    }
}

const std::uint8_t* LzwStrip::take(std::size_t count) {
    while (history_used_ - pending_at_ < count) next_string();
    const std::uint8_t* p = history_.data() + pending_at_;
    pending_at_ += count;
    return p;
}

void LzwStrip::read(std::uint8_t* out, std::size_t count) {
    if (count != 0) std::memcpy(out, take(count), count);
}

void LzwStrip::finish() {
    if (pending_at_ != history_used_) {
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
