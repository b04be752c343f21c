// An uncompressed strip, compared with the stored bytes themselves.

#include <vector>

#include "fuzz/strip_fuzz.h"
#include "slicein/strip_none.h"

namespace {

class ReferenceNone {
public:
    explicit ReferenceNone(slicemesh::fuzz::StoredInput in) : in_(std::move(in)) {}

    std::vector<std::uint8_t> decode(std::size_t count) {
        std::vector<std::uint8_t> out;
        while (out.size() < count) out.push_back(in_.fetch());
        return out;
    }

private:
    slicemesh::fuzz::StoredInput in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    return fuzz::fuzz_strip<NoneStrip, ReferenceNone>(data, size, slice_message::none_too_few);
}
