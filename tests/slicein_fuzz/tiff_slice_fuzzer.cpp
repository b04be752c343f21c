// A TIFF slice from memory. The last byte chooses the form and probe or full read, and
// is stripped first; every input must end normally or with a FatalError.

#include <cstdint>
#include <string>

#include "slicein/diagnostics.h"
#include "slicein/tiff_slice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t options = data[size - 1];
    std::span<const std::uint8_t> bytes(data, size - 1);
    const std::string path = "fuzz.tif";
    try {
        if (options & 2) {
            slicemesh::probe_tiff_bytes(bytes, path, options & 1 ? slicemesh::SampleForm::bits16
                                                                 : slicemesh::SampleForm::bits8);
        } else if (options & 1) {
            slicemesh::read_tiff_bytes<std::uint16_t>(bytes, path);
        } else {
            slicemesh::read_tiff_bytes<std::uint8_t>(bytes, path);
        }
    } catch (const slicemesh::FatalError&) {
    }
    return 0;
}
