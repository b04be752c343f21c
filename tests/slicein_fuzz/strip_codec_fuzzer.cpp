// The strip codecs on raw stored bytes. The first byte chooses the codec, the fill order
// and the read sizes; the strip's budget is the rest of the input, sometimes more.

#include <cstdint>
#include <vector>

#include "slicein/diagnostics.h"
#include "slicein/strip_lzw.h"
#include "slicein/strip_none.h"
#include "slicein/strip_packbits.h"

namespace {
template <typename Codec>
void decode(slicemesh::StoredBytes bytes, std::size_t chunk) {
    Codec codec("fuzz.tif");
    codec.start(bytes);
    std::vector<std::uint8_t> out(chunk);
    // Bounded: a strip of n stored bytes never needs more than this many reads.
    for (int i = 0; i < 64; ++i) codec.read(out.data(), out.size());
    codec.finish();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t options = data[0];
    const std::size_t available = size - 1;
    const std::size_t budget = options & 8 ? available + 3 : available;
    auto bytes = slicemesh::StoredBytes::over(data + 1, available, budget, options & 4 ? 2 : 1);
    const std::size_t chunk = 1 + (options >> 4) * 97;
    try {
        switch (options & 3) {
            case 0: decode<slicemesh::NoneStrip>(bytes, chunk); break;
            case 1: decode<slicemesh::PackBitsStrip>(bytes, chunk); break;
            default: decode<slicemesh::LzwStrip>(bytes, chunk); break;
        }
    } catch (const slicemesh::FatalError&) {
    }
    return 0;
}
