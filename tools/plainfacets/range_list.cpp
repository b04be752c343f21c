#include "tools/plainfacets/range_list.h"

#include <algorithm>
#include <cassert>

#include "slicein/diagnostics.h"

namespace slicemesh {

namespace {

// One item being read: an optional low bound, an optional dash, an optional high bound.
struct Item {
    long low = -1;
    long high = -1;
    bool dash = false;
};

}  // namespace

void parse_range_list(std::string_view text, int largest, std::span<std::uint8_t> selection) {
    assert(selection.size() == static_cast<std::size_t>(largest) + 1);
    std::fill(selection.begin(), selection.end(), std::uint8_t{0});
    Item item;
    // One pass; the end of the text closes the last item like a comma.
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c >= '0' && c <= '9') {
            long& bound = item.dash ? item.high : item.low;
            bound = (bound < 0 ? 0 : bound * 10) + (c - '0');
            if (bound > largest) fatal(bad_range_list_message);  // before the value can grow further
        } else if (c == '-') {
            if (item.dash) fatal(bad_range_list_message);
            item.dash = true;
        } else if (c == ',') {
            if (item.low >= 0 || item.dash) {
                const long low = item.low >= 0 ? item.low : 0;
                const long high = !item.dash ? low : item.high >= 0 ? item.high : largest;
                if (high < low) fatal(bad_range_list_message);
                std::fill(selection.begin() + low, selection.begin() + high + 1, std::uint8_t{1});
            }
            item = Item{};
        } else {
            fatal(bad_range_list_message);
        }
    }
}

}  // namespace slicemesh
