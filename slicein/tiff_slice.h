#pragma once
// Reads one single-channel TIFF slice: a header probe (size only) or a full read in the
// 8-bit form (1-8 bits per sample) or the 16-bit form (1-16 bits per sample).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace slicemesh {

// The two reader forms differ only in the bits per sample they accept and the sample type.
enum class SampleForm { bits8, bits16 };

struct SliceSize {
    int width = 0;
    int height = 0;
};

// Rows are stored one after another: sample (x, y) is samples[y * width + x], row 0 being
// the first row stored in the file.
template <typename Sample>
struct SliceImage {
    int width = 0;
    int height = 0;
    std::vector<Sample> samples;

    const Sample* row(int y) const { return samples.data() + static_cast<std::size_t>(y) * width; }
};
using SliceImage8 = SliceImage<std::uint8_t>;
using SliceImage16 = SliceImage<std::uint16_t>;

// Every failure raises FatalError naming the path ("path : message\n"); strip warnings
// go to stderr and the read goes on.
SliceSize probe_tiff_slice(const std::string& path, SampleForm form);
SliceImage8 read_tiff_slice8(const std::string& path);
SliceImage16 read_tiff_slice16(const std::string& path);

// The full read of either form, for callers generic over the sample type
// (std::uint8_t or std::uint16_t).
template <typename Sample>
SliceImage<Sample> read_tiff_slice(const std::string& path);

// The same reads over a file's bytes already in memory (fuzzing); path only names the
// slice in messages.
SliceSize probe_tiff_bytes(std::span<const std::uint8_t> bytes, const std::string& path, SampleForm form);
template <typename Sample>
SliceImage<Sample> read_tiff_bytes(std::span<const std::uint8_t> bytes, const std::string& path);

}  // namespace slicemesh
