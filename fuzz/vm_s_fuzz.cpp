// An uncoloured "_s" VM file set through plainconvert.

#include "fuzz/vm_set_fuzz.h"
#include "tools/plainconvert/plainconvert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return slicemesh::fuzz::fuzz_vm_set(data, size, 's', slicemesh::run_plainconvert, {});
}
