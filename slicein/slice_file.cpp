#include "slicein/slice_file.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <new>

#include "slicein/diagnostics.h"
#include "slicein/slice_messages.h"

namespace slicemesh {

namespace {
// Enough for the header and IFD of nearly every slice in one read.
constexpr std::size_t window_size = std::size_t{1} << 16;
}  // namespace

SliceFile::SliceFile(const std::string& path, Extent extent) : path_(path) {
    stream_ = std::fopen(path.c_str(), "rb");
    if (stream_ == nullptr) fail(slice_message::file_not_found);
    if (extent == Extent::whole) {
        load_whole();
    } else {
        load_window(0, 0);
    }
}

SliceFile::SliceFile(const std::string& path, std::span<const std::uint8_t> bytes)
    : path_(path), data_(bytes.begin(), bytes.end()), reaches_end_(true) {}

SliceFile::~SliceFile() {
    if (stream_ != nullptr) std::fclose(stream_);
}

void SliceFile::fail(std::string_view message) const { fatal_in_slice(path_, message); }

const std::uint8_t* SliceFile::bytes(std::uint64_t pos, std::uint64_t count) {
    if (pos >= data_pos_ && pos - data_pos_ <= data_.size() && count <= data_.size() - (pos - data_pos_))
        return data_.data() + (pos - data_pos_);
    if (reaches_end_ && pos >= data_pos_) fail(slice_message::unexpected_eof);
    load_window(pos, count);
    if (count > data_.size()) fail(slice_message::unexpected_eof);
    return data_.data();
}

std::span<const std::uint8_t> SliceFile::tail(std::uint64_t pos) const {
    if (pos >= data_.size()) return {};
    return {data_.data() + pos, data_.size() - static_cast<std::size_t>(pos)};
}

void SliceFile::load_window(std::uint64_t pos, std::uint64_t count) {
    data_.clear();
    data_pos_ = pos;
    reaches_end_ = true;
    if (pos > static_cast<std::uint64_t>(LONG_MAX) || std::fseek(stream_, static_cast<long>(pos), SEEK_SET) != 0)
        return;
    std::size_t want = static_cast<std::size_t>(std::max<std::uint64_t>(count, window_size));
    try {
        data_.resize(want);
    } catch (const std::bad_alloc&) {
        fail(slice_message::unexpected_eof);
    }
    std::size_t got = std::fread(data_.data(), 1, want, stream_);
    data_.resize(got);
    reaches_end_ = got < want;
}

// The size the file system reports is only a hint (the file may be a pipe or change);
// the bytes actually read decide.
void SliceFile::load_whole() {
    std::error_code ec;
    std::uintmax_t hint = std::filesystem::file_size(path_, ec);
    std::size_t capacity = ec ? window_size : static_cast<std::size_t>(hint) + 1;
    std::size_t used = 0;
    try {
        for (;;) {
            data_.resize(capacity);
            used += std::fread(data_.data() + used, 1, capacity - used, stream_);
            if (used < capacity) break;
            capacity *= 2;
        }
    } catch (const std::bad_alloc&) {
        fail(slice_message::no_cell_memory);
    }
    data_.resize(used);
    data_pos_ = 0;
    reaches_end_ = true;
}

}  // namespace slicemesh
