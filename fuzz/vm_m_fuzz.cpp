// A coloured "_m" VM file set through tintconvert, to standard output.

#include "fuzz/vm_set_fuzz.h"
#include "tools/tintconvert/tintconvert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return slicemesh::fuzz::fuzz_vm_set(data, size, 'm', slicemesh::run_tintconvert, {"-"});
}
