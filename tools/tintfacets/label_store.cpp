#include "tools/tintfacets/label_store.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "outline/outline.h"
#include "slicein/diagnostics.h"

namespace slicemesh {

LabelStore::LabelStore(StackExtent extent, std::string_view memory_error)
    : extent_(extent), width_(static_cast<std::size_t>(extent.width)), memory_error_(memory_error) {
    try {
        slices_.reserve(static_cast<std::size_t>(extent.count));
    } catch (const std::exception&) {
        fatal(memory_error_);
    }
}

void LabelStore::add_slice(SliceImage8 slice, const LabelTable& shown, SolidBox& box, std::array<bool, 256>& present) {
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
    } catch (const std::bad_alloc&) {
        fatal(memory_error_);
    } catch (const std::length_error&) {
        fatal(memory_error_);
    }

    const int z = static_cast<int>(slices_.size()) - 1;
    std::array<std::uint8_t, 256> seen{};
    for (int y = 0; y < extent_.height; ++y) {
        const std::uint8_t* in = row(y, z);
        unsigned any = 0;
        for (std::size_t x = 0; x < w; ++x) {
            seen[in[x]] = 1;
            any |= shown[in[x]];
        }
        if (any == 0) continue;
        int first = 0, last = extent_.width - 1;
        while (shown[in[first]] == 0) ++first;
        while (shown[in[last]] == 0) --last;
        box.widen_axis(0, first);
        box.widen_axis(0, last);
        box.widen_axis(1, y);
        box.widen_axis(2, z);
    }
    for (std::size_t v = 0; v < 256; ++v) present[v] = present[v] || seen[v];
}

LoadedStack load_label_store(const SliceList& list, const LabelTable& shown, std::string_view memory_error) {
    // A larger stack would come out with wrapped coordinates.
    check_outline_extent(OutlineForm::labelled, list.width, list.height, list.count);
    const StackExtent extent{list.width, list.height, list.count};
    LoadedStack loaded{LabelStore(extent, memory_error), SolidBox(extent), {}};
    for (const std::string& path : list.paths)
        loaded.store.add_slice(read_tiff_slice8(path), shown, loaded.box, loaded.present);
    return loaded;
}

}  // namespace slicemesh
