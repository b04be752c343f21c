// Colour table text, read as from standard input.

#include <cstdint>
#include <cstdio>

#include "slicein/colour_table.h"
#include "slicein/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* in = std::tmpfile();
    if (in == nullptr) return 0;
    std::fwrite(data, 1, size, in);
    std::rewind(in);
    try {
        slicemesh::read_colour_table("-", in);
    } catch (const slicemesh::FatalError&) {
    }
    std::fclose(in);
    return 0;
}
