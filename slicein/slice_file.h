#pragma once
// The bytes of one slice file, read in large blocks: the header probe reads a window at
// a time, a full read takes the whole file at once. Every read beyond the end of the
// file fails with "unexpected end of file." naming the slice.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace slicemesh {

class SliceFile {
public:
    enum class Extent { header, whole };

    // path must outlive the object: it is the current slice path of every diagnostic.
    // Fails with "file not found." when the file cannot be opened.
    SliceFile(const std::string& path, Extent extent);
    // A file's bytes already in memory (fuzzing); path only names the slice.
    SliceFile(const std::string& path, std::span<const std::uint8_t> bytes);
    SliceFile(const SliceFile&) = delete;
    SliceFile& operator=(const SliceFile&) = delete;
    ~SliceFile();

    // The count bytes at pos, valid until the next call.
    const std::uint8_t* bytes(std::uint64_t pos, std::uint64_t count);
    // Every byte from pos to the end of the file (empty beyond it); whole extent only.
    std::span<const std::uint8_t> tail(std::uint64_t pos) const;
    std::uint64_t loaded_size() const { return data_.size(); }

    const std::string& path() const { return path_; }
    [[noreturn]] void fail(std::string_view message) const;

private:
    void load_whole();
    void load_window(std::uint64_t pos, std::uint64_t count);

    const std::string& path_;
    std::FILE* stream_ = nullptr;
    std::vector<std::uint8_t> data_;  // the file's bytes [data_pos_, data_pos_ + data_.size())
    std::uint64_t data_pos_ = 0;
    bool reaches_end_ = false;        // data_ runs up to the end of the file
};

}  // namespace slicemesh
