#pragma once
// A C stream that accepts a fixed number of bytes and then fails every write (a full
// disk in miniature), so that each write-error message can be provoked in process.

#include <stdio.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace slicemesh::test {

class LimitedStream {
public:
    // limit: bytes accepted before writes fail; seekable: whether fseek works.
    explicit LimitedStream(std::size_t limit, bool seekable = true) : limit_(limit), seekable_(seekable) {
        cookie_io_functions_t io{};
        io.write = &LimitedStream::write_fn;
        io.seek = &LimitedStream::seek_fn;
        stream_ = fopencookie(this, "w+", io);
    }
    LimitedStream(const LimitedStream&) = delete;
    LimitedStream& operator=(const LimitedStream&) = delete;
    ~LimitedStream() {
        if (stream_) fclose(stream_);
    }

    FILE* stream() const { return stream_; }
    // The bytes that reached the "disk".
    const std::string& bytes() const { return bytes_; }

private:
    static ssize_t write_fn(void* cookie, const char* data, size_t size) {
        auto* self = static_cast<LimitedStream*>(cookie);
        std::size_t room = self->position_ < self->limit_ ? self->limit_ - self->position_ : 0;
        std::size_t n = std::min(room, size);
        if (n == 0) return -1;
        if (self->bytes_.size() < self->position_ + n) self->bytes_.resize(self->position_ + n);
        std::memcpy(self->bytes_.data() + self->position_, data, n);
        self->position_ += n;
        return static_cast<ssize_t>(n);
    }
    static int seek_fn(void* cookie, off64_t* offset, int whence) {
        auto* self = static_cast<LimitedStream*>(cookie);
        if (!self->seekable_) return -1;
        off64_t base = whence == SEEK_SET ? 0
                       : whence == SEEK_CUR ? static_cast<off64_t>(self->position_)
                                            : static_cast<off64_t>(self->bytes_.size());
        if (base + *offset < 0) return -1;
        self->position_ = static_cast<std::size_t>(base + *offset);
        *offset = static_cast<off64_t>(self->position_);
        return 0;
    }

    std::size_t limit_;
    bool seekable_;
    std::size_t position_ = 0;  // where the next write lands
    std::string bytes_;
    FILE* stream_ = nullptr;
};

}  // namespace slicemesh::test
