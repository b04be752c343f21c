// An LZW strip, compared with the reference decoder.

#include "fuzz/reference_lzw.h"
#include "fuzz/strip_fuzz.h"
#include "slicein/strip_lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    return fuzz::fuzz_strip<LzwStrip, fuzz::ReferenceLzw>(data, size, slice_message::lzw_too_few);
}
