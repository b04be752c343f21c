#pragma once
// Sort orders of a directory listing: by name, or by the number a name carries.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace slicemesh {

enum class SliceOrder { name_ascending, name_descending, key_ascending, key_descending };

// The order a listing option ("-", "--r", "--n", "--rn", "--nr...") asks for; none for
// any other option.
std::optional<SliceOrder> slice_order_of(std::string_view option);

// The numeric key of a name: the number read as "%lf" reads it from the first digit,
// "+" or "-" on. None when there is no such character, no number there, or it reads as
// NaN (which could not be ordered).
std::optional<double> numeric_key(const std::string& name);

// Sorts paths by their names, the part after the first prefix_length characters. Equal
// keys fall back to name order, so the result never depends on the listing's order.
void sort_slice_paths(std::vector<std::string>& paths, std::size_t prefix_length, SliceOrder order);

}  // namespace slicemesh
