#pragma once
// The labelled stack held at one byte per voxel, so that the face sweep can scan all
// three axes after a single reading pass. Slices of the stack's full size are kept as the
// reader delivered them; smaller ones are copied into a full-size slice padded with 0.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "slicein/slice_list.h"
#include "slicein/tiff_slice.h"
#include "tools/plainfacets/face_sweep.h"

namespace slicemesh {

using LabelTable = std::array<std::uint8_t, 256>;

class LabelStore {
public:
    // memory_error is the owning program's message for a failed allocation.
    LabelStore(StackExtent extent, std::string_view memory_error);

    // Appends the next slice (z = the number of slices added so far), widens box to its
    // voxels whose label is shown and, given present, marks every label that occurs there.
    void add_slice(SliceImage8 slice, const LabelTable& shown, SolidBox& box, std::array<bool, 256>* present);

    StackExtent extent() const { return extent_; }

    // Row y of slice z: width labels.
    const std::uint8_t* row(int y, int z) const {
        return slices_[static_cast<std::size_t>(z)].data() + static_cast<std::size_t>(y) * width_;
    }
    std::uint8_t label(int x, int y, int z) const { return row(y, z)[x]; }

    // The shown flags at one bit per voxel, bit x % 64 of word x / 64 of a row, kept for
    // stacks at least 64 wide: every sweep direction then reads bits instead of looking each
    // label up again, for an eighth of the store's memory.
    bool has_solid_bits() const { return bit_words_ != 0; }
    std::size_t bit_words() const { return bit_words_; }
    const std::uint64_t* solid_bits(int y, int z) const {
        return bits_[static_cast<std::size_t>(z)].data() + static_cast<std::size_t>(y) * bit_words_;
    }

    // Frees the labels once the surface is out.
    void release() {
        std::vector<std::vector<std::uint8_t>>().swap(slices_);
        std::vector<std::vector<std::uint64_t>>().swap(bits_);
    }

private:
    StackExtent extent_;
    std::size_t width_;
    std::string_view memory_error_;
    std::vector<std::vector<std::uint8_t>> slices_;  // each width x height labels, row 0 first
    std::size_t bit_words_;                          // words per row of bits_, 0 below width 64
    std::vector<std::vector<std::uint64_t>> bits_;   // per slice, height rows of bit_words_ words
};

// A stack read into its label store, with the box of its shown voxels and the labels that
// occur anywhere in it.
struct LoadedStack {
    LabelStore store;
    SolidBox box;
    std::array<bool, 256> present{};
};

// Reads every slice of the list in order. Refuses with "too large stack." a stack that
// the labelled outline's 16-bit doubled coordinates cannot carry, before reading any slice.
// present is filled only when asked for.
LoadedStack load_label_store(const SliceList& list, const LabelTable& shown, std::string_view memory_error,
                             bool find_present = false);

}  // namespace slicemesh
