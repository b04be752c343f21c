#include "render/gif_lzw.h"

#include <algorithm>

namespace slicemesh {

void GifLzwEncoder::clear_table() {
    std::fill(table_.begin(), table_.end(), 0);
    next_code_ = kFirstCode;
    width_ = 9;
    width_limit_ = 512;
}

void GifLzwEncoder::write_block() {
    block_[0] = static_cast<std::uint8_t>(block_used_);
    out_->put_bytes(block_.data(), static_cast<std::size_t>(block_used_) + 1);
    block_used_ = 0;
}

void GifLzwEncoder::lzw_begin(GifOutput& out) {
    out_ = &out;
    out.put_byte(8);
    block_used_ = 0;
    bits_ = 0;
    pending_bits_ = 0;
    lzw_put_code(kClearCode, 9);
    clear_table();
    prefix_ = kNoString;
}

void GifLzwEncoder::lzw_end() {
    int end_width = width_;
    if (prefix_ != kNoString) {
        lzw_put_code(prefix_, width_);
        // The decoder adds the string of this code and widens before it reads the end code.
        if (next_code_ == width_limit_ && width_ < 12) ++end_width;
    }
    lzw_put_code(kEndCode, end_width);
    if (pending_bits_ > 0) block_[++block_used_] = static_cast<std::uint8_t>(bits_);
    if (block_used_ > 0) write_block();
    out_->put_byte(0);
    prefix_ = kNoString;
}

}  // namespace slicemesh
