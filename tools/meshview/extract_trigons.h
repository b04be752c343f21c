#pragma once
// Surface trigon extraction: the coloured surface of a labelled stack as six trigon
// lists (mx, px, my, py, mz, pz), optionally passed through a VM "_m" file set.

#include <array>
#include <optional>
#include <string_view>

#include "slicein/colour_table.h"
#include "slicein/slice_list.h"
#include "vm/trigon.h"

namespace slicemesh {

using TrigonLists = std::array<TrigonList, 6>;

// Fills the six lists (indexed by direction); with a VM base name the trigons are written
// to the file set and the lists read back from it. Clears grey_mode when a shown label
// that occurs in the stack is not grey. Fails with "too large stack." or "no solid
// object." before any face file exists.
void extract_trigons(const SliceList& list, const ColourTable& colours, std::optional<std::string_view> vm_base,
                     TrigonLists& lists, bool& grey_mode);

}  // namespace slicemesh
