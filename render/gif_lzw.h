#pragma once
// The GIF variant of LZW with minimum code size 8: codes 0..255 are pixels, 256 clears,
// 257 ends. Codes are packed least significant bit first and the width grows when code
// 512, 1024 and 2048 is assigned; a full table (code 4095 assigned) is cleared on the
// next miss. The string table is a fixed open-addressing hash, so no string allocates.

#include <array>
#include <cstdint>

#include "render/gif_output.h"

namespace slicemesh {

class GifLzwEncoder {
public:
    // Writes the code size byte and the first clear code; resets all state.
    void lzw_begin(GifOutput& out);

    void lzw_put_pixel(int p) {
        if (prefix_ == kNoString) {
            prefix_ = p;
            return;
        }
        std::uint32_t key = (static_cast<std::uint32_t>(prefix_) << 8 | static_cast<std::uint32_t>(p)) << 12;
        int h = (p << 5) ^ prefix_;  // below 8192
        std::uint32_t entry = table_[h];
        if (entry != 0) {
            if ((entry & 0xFFFFF000) == key) {
                prefix_ = static_cast<int>(entry & 0xFFF);
                return;
            }
            // Double hashing; kTableSize is prime, so the probe reaches every slot.
            int step = h == 0 ? kTableSize - 1 : h;
            for (;;) {
                h += step;
                if (h >= kTableSize) h -= kTableSize;
                entry = table_[h];
                if (entry == 0) break;
                if ((entry & 0xFFFFF000) == key) {
                    prefix_ = static_cast<int>(entry & 0xFFF);
                    return;
                }
            }
        }
        miss(p, key, h);
    }

    // Emits the pending string and the end code, and closes the data sub-blocks.
    void lzw_end();

private:
    static constexpr int kTableSize = 9001;
    static constexpr int kNoString = 4096;
    static constexpr int kClearCode = 256;
    static constexpr int kEndCode = 257;
    static constexpr int kFirstCode = 258;
    static constexpr int kMaxCodes = 4096;

    void miss(int p, std::uint32_t key, int slot) {
        lzw_put_code(prefix_, width_);
        if (next_code_ == kMaxCodes) {
            lzw_put_code(kClearCode, width_);
            clear_table();
        } else {
            table_[slot] = key | static_cast<std::uint32_t>(next_code_);
            if (next_code_ == width_limit_) {
                ++width_;
                width_limit_ *= 2;
            }
            ++next_code_;
        }
        prefix_ = p;
    }

    void lzw_put_code(int code, int width) {
        bits_ |= static_cast<std::uint32_t>(code) << pending_bits_;
        pending_bits_ += width;
        while (pending_bits_ >= 8) {
            block_[++block_used_] = static_cast<std::uint8_t>(bits_);
            bits_ >>= 8;
            pending_bits_ -= 8;
            if (block_used_ == 255) write_block();
        }
    }

    void clear_table();
    void write_block();

    GifOutput* out_ = nullptr;                    // the stream of the current image
    std::array<std::uint32_t, kTableSize> table_{};  // 0 = empty, else prefix << 20 | pixel << 12 | code;
                                                  // holds at most 4096 - 258 strings
    int prefix_ = kNoString;                      // code of the string matched so far; kNoString = none
    int next_code_ = kFirstCode;                  // next code to assign, 258..4096
    int width_ = 9;                               // bits per code, 9..12
    int width_limit_ = 512;                       // assigning this code widens: 512, 1024, 2048, then 4096
    std::uint32_t bits_ = 0;                      // pending bits, least significant first
    int pending_bits_ = 0;                        // valid bits in bits_, below 8 between codes
    int block_used_ = 0;                          // data bytes in block_[1..], 0..254 between codes
    std::array<std::uint8_t, 256> block_{};       // block_[0] is set to the count when written
};

}  // namespace slicemesh
