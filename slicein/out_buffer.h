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
        write(digits, static_cast<std::size_t>(format_int(digits, value) - digits));
    }

    // Direct formatting for hot writers: room for count bytes (at most the capacity) at
    // the end of the buffer; write there, then commit the end of what was written.
    char* reserve(std::size_t count) {
        if (count > data_.size() - used_) flush();
        return reinterpret_cast<char*>(data_.data() + used_);
    }
    void commit(const char* end) { used_ = static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(end) - data_.data()); }

    // Writes value in decimal at p (at most 20 bytes) and returns the end.
    static char* format_int(char* p, std::int64_t value) {
        std::uint64_t magnitude = static_cast<std::uint64_t>(value);
        if (value < 0) {
            *p++ = '-';
            magnitude = 0 - magnitude;
        }
        int length = 1;
        for (std::uint64_t rest = magnitude; rest >= 10; rest /= 10) ++length;
        char* end = p + length;
        // Two digits per step from a table: surface files are mostly numbers.
        static constexpr char pairs[] =
            "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
            "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
            "8081828384858687888990919293949596979899";
        char* q = end;
        while (magnitude >= 100) {
            const std::size_t i = static_cast<std::size_t>(magnitude % 100) * 2;
            magnitude /= 100;
            *--q = pairs[i + 1];
            *--q = pairs[i];
        }
        if (magnitude >= 10) {
            const std::size_t i = static_cast<std::size_t>(magnitude) * 2;
            *--q = pairs[i + 1];
            *--q = pairs[i];
        } else {
            *--q = static_cast<char>('0' + magnitude);
        }
        return end;
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
