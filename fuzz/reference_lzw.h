#pragma once
// TIFF LZW decoded code by code with a table of whole strings, the plainest form of the
// rules, to compare the codec with.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/stored_input.h"

namespace slicemesh::fuzz {

class ReferenceLzw {
public:
    explicit ReferenceLzw(StoredInput in) : in_(std::move(in)), table_(4096) {
        for (int c = 0; c < 256; ++c) table_[static_cast<std::size_t>(c)] = std::string(1, static_cast<char>(c));
    }

    // The next count bytes; throws ReferenceError where the codec must fail.
    std::vector<std::uint8_t> decode(std::size_t count) {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            if (pending_at_ == pending_.size()) {
                pending_ = next_string();
                pending_at_ = 0;
            }
            out.push_back(static_cast<std::uint8_t>(pending_[pending_at_++]));
        }
        return out;
    }

private:
    int read_code() {
        bit_pos_ -= width_;
        while (bit_pos_ < 0) {
            bits_ = bits_ << 8 | in_.fetch();
            bit_pos_ += 8;
        }
        return static_cast<int>(bits_ >> bit_pos_) & ((1 << width_) - 1);
    }

    std::string next_string() {
        for (;;) {
            int code = read_code();
            if (code == 257) throw ReferenceError{slice_message::lzw_early_end};
            if (code == 256) {
                width_ = 9;
                previous_ = 256;
                continue;
            }
            if (previous_ == 256) {
                if (code > 255) throw ReferenceError{slice_message::lzw_bad_first};
                next_free_ = 258;
                previous_ = code;
                return table_[static_cast<std::size_t>(code)];
            }
            if (next_free_ == 4096) throw ReferenceError{slice_message::lzw_table_full};
            if (code > next_free_) throw ReferenceError{slice_message::lzw_bad_code};
            const std::string& before = table_[static_cast<std::size_t>(previous_)];
            std::string string = code < next_free_ ? table_[static_cast<std::size_t>(code)] : before + before[0];
            table_[static_cast<std::size_t>(next_free_)] = before + string[0];
            ++next_free_;
            // One code early: the width grows when the next free code reaches 511, 1023, 2047.
            if (next_free_ == (1 << width_) - 1 && width_ < 12) ++width_;
            previous_ = code;
            return string;
        }
    }

    StoredInput in_;
    std::vector<std::string> table_;  // the string of every code below next_free_
    std::uint32_t bits_ = 0;
    int bit_pos_ = 0;
    int width_ = 9;
    int next_free_ = 258;
    int previous_ = 256;  // 256 after a clear code and at the start
    std::string pending_;
    std::size_t pending_at_ = 0;
};

}  // namespace slicemesh::fuzz
