#include "tools/tintfacets/label_store.h"

#include <algorithm>
#include <bit>
#include <new>
#include <stdexcept>

#include "outline/outline.h"
#include "slicein/diagnostics.h"

namespace slicemesh {

LabelStore::LabelStore(StackExtent extent, std::string_view memory_error)
    : extent_(extent),
      width_(static_cast<std::size_t>(extent.width)),
      memory_error_(memory_error),
      bit_words_(extent.width >= 64 ? (static_cast<std::size_t>(extent.width) + 63) / 64 : 0) {
    try {
        slices_.reserve(static_cast<std::size_t>(extent.count));
        if (bit_words_ != 0) bits_.reserve(static_cast<std::size_t>(extent.count));
    } catch (const std::exception&) {
        fatal(memory_error_);
    }
}

void LabelStore::add_slice(SliceImage8 slice, const LabelTable& shown, SolidBox& box, std::array<bool, 256>* present) {
    const std::size_t w = width_, h = static_cast<std::size_t>(extent_.height);
    try {
        if (slice.width == extent_.width && slice.height == extent_.height && slice.samples.size() == w * h) {
            slices_.push_back(std::move(slice.samples));
        } else {
            std::vector<std::uint8_t> padded(w * h, 0);
            const std::size_t copy_w = std::min(w, static_cast<std::size_t>(std::max(slice.width, 0)));
            const std::size_t copy_h = std::min(h, static_cast<std::size_t>(std::max(slice.height, 0)));
            for (std::size_t y = 0; y < copy_h; ++y)
                std::copy_n(slice.row(static_cast<int>(y)), copy_w, padded.data() + y * w);
            std::vector<std::uint8_t>().swap(slice.samples);
            slices_.push_back(std::move(padded));
        }
        if (bit_words_ != 0) bits_.emplace_back(h * bit_words_, 0);
    } catch (const std::bad_alloc&) {
        fatal(memory_error_);
    } catch (const std::length_error&) {
        fatal(memory_error_);
    }

    const int z = static_cast<int>(slices_.size()) - 1;
    std::array<std::uint8_t, 256> solid;
    for (std::size_t v = 0; v < 256; ++v) solid[v] = shown[v] != 0;
    std::array<std::uint8_t, 256> seen{};
    for (int y = 0; y < extent_.height; ++y) {
        const std::uint8_t* in = row(y, z);
        if (present)
            for (std::size_t x = 0; x < w; ++x) seen[in[x]] = 1;
        int first = -1, last = -1;
        if (bit_words_ != 0) {
            std::uint64_t* bits = bits_.back().data() + static_cast<std::size_t>(y) * bit_words_;
            for (std::size_t g = 0; g < bit_words_; ++g) {
                const std::size_t end = std::min(w, 64 * g + 64);
                std::uint64_t word = 0;
                std::size_t x = 64 * g;
                // Eight flags at a time: bytes of 0 or 1 gathered into one byte, byte i to bit i.
                for (; x + 8 <= end; x += 8) {
                    std::uint64_t flags = 0;
                    for (std::size_t i = 0; i < 8; ++i) flags |= std::uint64_t{solid[in[x + i]]} << (8 * i);
                    word |= (flags * 0x0102040810204080ULL >> 56) << (x & 63);
                }
                for (; x < end; ++x) word |= std::uint64_t{solid[in[x]]} << (x & 63);
                bits[g] = word;
                if (word == 0) continue;
                if (first < 0) first = static_cast<int>(64 * g) + std::countr_zero(word);
                last = static_cast<int>(64 * g) + 63 - std::countl_zero(word);
            }
        } else {
            for (std::size_t x = 0; x < w; ++x)
                if (shown[in[x]]) {
                    if (first < 0) first = static_cast<int>(x);
                    last = static_cast<int>(x);
                }
        }
        if (first < 0) continue;
        box.widen_axis(0, first);
        box.widen_axis(0, last);
        box.widen_axis(1, y);
        box.widen_axis(2, z);
    }
    if (present)
        for (std::size_t v = 0; v < 256; ++v) (*present)[v] = (*present)[v] || seen[v];
}

LoadedStack load_label_store(const SliceList& list, const LabelTable& shown, std::string_view memory_error,
                             bool find_present) {
    // A larger stack would come out with wrapped coordinates.
    check_outline_extent(OutlineForm::labelled, list.width, list.height, list.count);
    const StackExtent extent{list.width, list.height, list.count};
    LoadedStack loaded{LabelStore(extent, memory_error), SolidBox(extent), {}};
    for (const std::string& path : list.paths)
        loaded.store.add_slice(read_tiff_slice8(path), shown, loaded.box, find_present ? &loaded.present : nullptr);
    return loaded;
}

}  // namespace slicemesh
