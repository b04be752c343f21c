#pragma once
// The colour table of a stack: which 8-bit labels are solid and their colours, read from
// a colour file, or from standard input up to the first blank line when the name begins
// with "-" (the rest of that stream, a view script, stays unread).

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace slicemesh {

struct ColourTable {
    std::array<std::uint8_t, 256> shown{};  // nonzero: the label is solid
    std::array<std::uint8_t, 256> red{};
    std::array<std::uint8_t, 256> green{};
    std::array<std::uint8_t, 256> blue{};
};

// standard_input is the stream a "-" name reads from.
ColourTable read_colour_table(std::string_view color_file, std::FILE* standard_input = stdin);

}  // namespace slicemesh
