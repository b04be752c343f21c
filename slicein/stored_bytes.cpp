#include "slicein/stored_bytes.h"

namespace slicemesh {

namespace {
std::array<std::uint8_t, 256> make_table(bool reversed) {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        int v = b;
        if (reversed) {
            v = 0;
            for (int i = 0; i < 8; ++i)
                if (b & (1 << i)) v |= 0x80 >> i;
        }
        table[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(v);
    }
    return table;
}
}  // namespace

const std::array<std::uint8_t, 256>& fill_order_table(int fill_order) {
    static const std::array<std::uint8_t, 256> identity = make_table(false);
    static const std::array<std::uint8_t, 256> reversed = make_table(true);
    return fill_order == 2 ? reversed : identity;
}

}  // namespace slicemesh
