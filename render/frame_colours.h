#pragma once
// The local colour table of one colour frame: the exact table in hash order when the
// frame holds at most 256 distinct colours, otherwise a box-splitting quantiser that
// halves the colour cube into octants, heaviest box first.
//
// The table order is defined by 4096 chains keyed on the high four bits of each channel,
// each chain in order of first appearance. Colours are found through an exact hash of
// the full key instead of by walking a chain, and the chain order is recovered by a
// stable counting sort; the order, and with it every table, stays the same.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace slicemesh {

struct Rgb {
    std::uint8_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};

// red | green << 8 | blue << 16
inline std::uint32_t colour_key(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return std::uint32_t{red} | std::uint32_t{green} << 8 | std::uint32_t{blue} << 16;
}

// gif_fatal texts of the colour table.
inline constexpr const char* kListMemoryError = "list memory allocation";
inline constexpr const char* kLutMemoryError = "LUT memory allocation";

class FrameColours {
public:
    // Builds the table of a width x height frame given as three tables of row pointers.
    // Storage is kept from frame to frame, so a run of frames allocates once.
    void frame_palette_build(int width, int height, const std::uint8_t* const* red_rows,
                             const std::uint8_t* const* green_rows,
                             const std::uint8_t* const* blue_rows);

    // The entries of the last build, at most 256.
    std::span<const Rgb> entries() const { return {entries_.data(), entry_count_}; }

    // The entry index of a colour of the frame that was built last.
    int frame_palette_index(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        std::uint32_t key = colour_key(red, green, blue);
        if (key != last_key_) {
            last_key_ = key;
            last_node_ = find(key);
        }
        // A colour that the frame does not hold gets entry 0 rather than a fault.
        return last_node_ == kNoNode ? 0 : static_cast<int>(nodes_[last_node_].count);
    }

    // Forgets the frame's colours; the storage stays for the next frame.
    void frame_palette_free();

    std::size_t distinct_colours() const { return nodes_.size(); }

private:
    struct Node {
        std::uint32_t key;
        std::uint32_t count;  // pixels of this colour; after the build, its entry index
    };
    struct Box {
        std::uint32_t count = 0;  // summed pixel count of its colours; 0 = free slot
        std::uint32_t first = 0;  // its colours are order_[first, end)
        std::uint32_t end = 0;
        std::uint8_t edge = 0;  // edge of its cube; 0 = holds one colour, never split
        std::uint8_t origin_red = 0, origin_green = 0, origin_blue = 0;  // low cube corner
    };

    static constexpr std::uint32_t kNoKey = 0xFFFFFFFF;  // no colour has a top byte
    static constexpr std::uint32_t kNoNode = 0xFFFFFFFF;

    struct Slot {
        std::uint32_t key;
        std::uint32_t node;  // node index + 1; 0 = empty slot
    };

    std::uint32_t find(std::uint32_t key) const;  // kNoNode for a colour not in the frame
    std::uint32_t find_or_add(std::uint32_t key);
    void grow_lookup();
    void chain_order();
    void quantise();
    void split(std::uint32_t first, std::uint32_t end, std::uint8_t origin_red,
               std::uint8_t origin_green, std::uint8_t origin_blue, std::uint8_t child_edge);

    std::vector<Node> nodes_;             // one per distinct colour, in order of first appearance
    std::vector<Slot> lookup_;            // open addressing on the full key, linear probing;
                                          // size a power of two, at least twice nodes_.size()
    std::uint32_t lookup_shift_ = 32;     // 32 - log2(lookup_.size())
    std::vector<std::uint32_t> order_;    // node indices in chain order (ascending chain, then
                                          // first appearance); the quantiser partitions it in place
    std::uint32_t last_key_ = kNoKey;     // memo of the last look-up: rendered frames come in runs
    std::uint32_t last_node_ = kNoNode;   // node of last_key_, or kNoNode
    std::array<Box, 256> boxes_{};
    int box_count_ = 0;                   // slots in use
    std::array<Rgb, 256> entries_{};
    std::size_t entry_count_ = 0;         // E
};

}  // namespace slicemesh
