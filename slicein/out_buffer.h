#pragma once
// A large write buffer over a C stream with a fast decimal formatter. Surface files of
// millions of facets are normal, so output never goes through printf per number.
// Errors are sticky: after the first failed write, further writes are dropped and
// flush() keeps returning false; the owner decides which message that failure gets.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace slicemesh {

class OutBuffer {
public:
    explicit OutBuffer(std::FILE* stream, std::size_t capacity = std::size_t{1} << 20)
        : stream_(stream), data_(capacity) {}
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;
    // Unwinding past the buffer still emits what was written (a partial document).
    ~OutBuffer() { flush(); }

    void write(const void* bytes, std::size_t count) {
        if (count > data_.size() - used_) {
            flush();
            if (count > data_.size()) {
                direct(bytes, count);
                return;
            }
        }
        std::memcpy(data_.data() + used_, bytes, count);
        used_ += count;
    }
    void put(std::string_view text) { write(text.data(), text.size()); }
    void put_char(char c) {
        if (used_ == data_.size()) flush();
        data_[used_++] = static_cast<unsigned char>(c);
    }
    void put_int(std::int64_t value) {
        char digits[24];
        char* end = digits + sizeof digits;
        char* p = end;
        std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
        do {
            *--p = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) *--p = '-';
        write(p, static_cast<std::size_t>(end - p));
    }

    // Hands the buffered bytes to the stream and flushes it; false once any write failed.
    bool flush() {
        if (used_ != 0) {
            direct(data_.data(), used_);
            used_ = 0;
        }
        if (ok_ && std::fflush(stream_) != 0) ok_ = false;
        return ok_;
    }
    bool ok() const { return ok_; }
    std::FILE* stream() const { return stream_; }

private:
    void direct(const void* bytes, std::size_t count) {
        if (ok_ && std::fwrite(bytes, 1, count, stream_) != count) ok_ = false;
    }

    std::FILE* stream_;               // not owned
    std::vector<unsigned char> data_; // data_[0, used_) is waiting for the stream
    std::size_t used_ = 0;
    bool ok_ = true;                  // false after the first failed write
};

}  // namespace slicemesh
