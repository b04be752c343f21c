// A colour table from the fuzz input, read from a stream as a "-" name does, or from a
// file (option bit 0).

#include <cstdio>
#include <string>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_input.h"
#include "slicein/colour_table.h"
#include "slicein/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    fuzz::FuzzInput<1> in(data, size);
    try {
        if (in.options[0] & 1) {
            read_colour_table(fuzz::write_input("colours.txt", in.data, in.size));
            return 0;
        }
        // fmemopen refuses an empty buffer; one byte that is never read stands in for it.
        static std::uint8_t empty = 0;
        void* bytes = in.size != 0 ? const_cast<std::uint8_t*>(in.data) : &empty;
        std::FILE* stream = fmemopen(bytes, in.size != 0 ? in.size : 1, "r");
        if (stream == nullptr) fuzz::broken("fmemopen failed");
        struct Closer {
            std::FILE* f;
            ~Closer() { std::fclose(f); }
        } closer{stream};
        if (in.size == 0) std::fgetc(stream);
        read_colour_table("-", stream);
    } catch (const FatalError&) {
    }
    return 0;
}
