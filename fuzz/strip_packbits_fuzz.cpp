// A PackBits strip, compared with the reference decoder.

#include "fuzz/reference_packbits.h"
#include "fuzz/strip_fuzz.h"
#include "slicein/strip_packbits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    return fuzz::fuzz_strip<PackBitsStrip, fuzz::ReferencePackBits>(data, size, slice_message::packbits_too_few);
}
