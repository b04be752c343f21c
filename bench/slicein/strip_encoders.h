#pragma once
// Writers of the three strip compressions, so that the benchmark can generate its stack
// without any TIFF library. LZW is TIFF's flavour: most significant bit first, a clear
// code at the start of each strip, widths that grow when the next free code reaches 512,
// 1024 and 2048, and a clear code when the table is nearly full.

#include <cstdint>
#include <string>
#include <vector>

namespace slicemesh::bench {

inline std::string packbits_encode_row(const std::uint8_t* row, std::size_t n) {
    std::string out;
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<char>(257 - run));
            out.push_back(static_cast<char>(row[i]));
            i += run;
            continue;
        }
        // A literal up to the next run of three.
        std::size_t start = i, len = 0;
        while (i < n && len < 128) {
            if (i + 2 < n && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
            ++i;
            ++len;
        }
        out.push_back(static_cast<char>(len - 1));
        out.append(reinterpret_cast<const char*>(row + start), len);
    }
    return out;
}

class LzwEncoder {
public:
    std::string encode(const std::uint8_t* data, std::size_t n) {
        out_.clear();
        acc_ = 0;
        held_ = 0;
        reset();
        put(256);
        if (n == 0) {
            put(257);
            flush();
            return out_;
        }
        int prefix = data[0];
        for (std::size_t i = 1; i < n; ++i) {
            std::uint8_t c = data[i];
            std::uint16_t& slot = child_[static_cast<std::size_t>(prefix) * 256 + c];
            if (slot != 0) {
                prefix = slot;
                continue;
            }
            put(prefix);
            slot = static_cast<std::uint16_t>(next_);
            touched_.push_back(&slot);
            added(true);
            prefix = c;
        }
        put(prefix);
        added(false);
        put(257);
        flush();
        return out_;
    }

private:
    void reset() {
        for (std::uint16_t* slot : touched_) *slot = 0;
        touched_.clear();
        next_ = 258;
        width_ = 9;
    }
    // After a code: one entry more (as the decoder will add one), a wider code, or a clear.
    void added(bool more_follow) {
        ++next_;
        if (next_ == 4094) {
            put(256);
            if (more_follow) reset();
            width_ = 9;
        } else if (next_ == (1 << width_) && width_ < 12) {
            ++width_;
        }
    }
    void put(int code) {
        acc_ = acc_ << width_ | static_cast<std::uint32_t>(code);
        held_ += width_;
        while (held_ >= 8) {
            held_ -= 8;
            out_.push_back(static_cast<char>(acc_ >> held_));
        }
    }
    void flush() {
        if (held_ > 0) out_.push_back(static_cast<char>(acc_ << (8 - held_)));
        held_ = 0;
    }

    std::vector<std::uint16_t> child_ = std::vector<std::uint16_t>(4096 * 256);  // (prefix, byte) -> code
    std::vector<std::uint16_t*> touched_;  // the slots to clear at the next reset
    std::string out_;
    std::uint32_t acc_ = 0;
    int held_ = 0;
    int next_ = 258;
    int width_ = 9;
};

}  // namespace slicemesh::bench
