#pragma once
// The range list of plainfacets: comma-separated items N, N-M, N-, -M and -, selecting
// label values 0..largest. Empty items are skipped; anything else is "bad range list.".

#include <cstdint>
#include <span>
#include <string_view>

namespace slicemesh {

inline constexpr const char* bad_range_list_message = "bad range list.";

// Clears selection[0..largest] and sets the selected entries to 1; selection must have
// largest + 1 entries.
void parse_range_list(std::string_view text, int largest, std::span<std::uint8_t> selection);

}  // namespace slicemesh
