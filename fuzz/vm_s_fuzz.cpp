// A "_s" VM file set through plainconvert: the fuzz input is cut into six equal parts,
// one face file each. Option byte: 1 to 6 leaves out the file of that direction.

#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_input.h"
#include "slicein/diagnostics.h"
#include "stl/face_direction.h"
#include "tools/plainconvert/plainconvert.h"
#include "vm/face_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    // The STL document is of no interest here, only that reading the files is safe.
    static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    if (!quiet) fuzz::broken("cannot send stdout to /dev/null");
    fuzz::FuzzInput<1> in(data, size);
    std::string base = fuzz::fuzz_dir().file("set");
    std::size_t k = 0;
    for (Direction d : all_directions) {
        std::string name = face_file_name("set", d, 's');
        std::size_t from = in.size * k / 6, to = in.size * (k + 1) / 6;
        ++k;
        if (in.options[0] == k) {
            std::filesystem::remove(fuzz::fuzz_dir().file(name));
        } else {
            fuzz::write_input(name, in.data + from, to - from);
        }
    }
    std::string program = "plainconvert";
    char* argv[] = {program.data(), base.data(), nullptr};
    try {
        run_plainconvert(2, argv);
    } catch (const FatalError&) {
    }
    return 0;
}
