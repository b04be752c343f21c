#pragma once
// The checked byte path of a GIF stream. Bytes are gathered in a large buffer and handed
// to the stream in big writes; the stream only reports a failure when it is handed a
// buffer, so a failed hand-over is reported as the failure of the first write whose
// bytes it carried: an unwritable stream fails on the signature with "bytes write",
// as if every write had gone to the stream at once.

#include <cstddef>
#include <cstdio>

#include "slicein/diagnostics.h"
#include "slicein/out_buffer.h"

namespace slicemesh {

// gif_fatal texts of the byte path.
inline constexpr const char* kByteWriteError = "byte write";    // a single byte or a 16-bit field
inline constexpr const char* kBytesWriteError = "bytes write";  // the signature or a data sub-block

class GifOutput {
public:
    explicit GifOutput(std::FILE* stream) : out_(stream, kCapacity) {}

    // gif_put_byte: a value outside 0..255 cannot be written as one byte.
    void put_byte(int value) {
        if (value < 0 || value > 255) gif_fatal(kByteWriteError);
        reserve(1, kByteWriteError);
        out_.put_char(static_cast<char>(value));
    }
    // Little-endian; the high byte is value >> 8, so a field above 65535 or below 0 fails
    // after its low byte.
    void put_field(int value) {
        put_byte(value & 0xFF);
        put_byte(value >> 8);
    }
    void put_bytes(const void* bytes, std::size_t count) {
        reserve(count, kBytesWriteError);
        out_.write(bytes, count);
    }
    // Hands everything gathered so far to the stream and checks it.
    void hand_over() {
        if (pending_ == 0) return;
        if (!out_.flush()) gif_fatal(first_write_);
        pending_ = 0;
    }
    // The trailer's own write is not checked; everything before it is.
    void put_unchecked_last(char byte) {
        hand_over();
        out_.put_char(byte);
        out_.flush();
    }

private:
    static constexpr std::size_t kCapacity = std::size_t{1} << 16;

    void reserve(std::size_t count, const char* text) {
        if (pending_ + count > kCapacity) hand_over();
        if (pending_ == 0) first_write_ = text;
        pending_ += count;
    }

    OutBuffer out_;                           // flushes on destruction: a failed stream keeps what it got
    std::size_t pending_ = 0;                 // bytes in out_ not yet handed over; at most kCapacity,
                                              // so out_ never hands them over on its own
    const char* first_write_ = kBytesWriteError;  // text of the first write among the pending bytes
};

}  // namespace slicemesh
