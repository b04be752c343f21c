#pragma once
// A VM file set through its converter: the fuzz input is cut into six equal parts, one
// face file each. Option byte: 1 to 6 leaves out the file of that direction.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_input.h"
#include "slicein/diagnostics.h"
#include "stl/face_direction.h"
#include "vm/face_files.h"

namespace slicemesh::fuzz {

// form is 's' or 'm'; convert gets the program name, the set's base name and then
// the extra arguments.
inline int fuzz_vm_set(const std::uint8_t* data, std::size_t size, char form, int (*convert)(int, char**),
                       std::vector<std::string> extra) {
    // The converted document is of no interest here, only that reading the files is safe.
    static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    if (!quiet) broken("cannot send stdout to /dev/null");
    FuzzInput<1> in(data, size);
    std::size_t k = 0;
    for (Direction d : all_directions) {
        std::string name = face_file_name("set", d, form);
        std::size_t from = in.size * k / 6, to = in.size * (k + 1) / 6;
        ++k;
        if (in.options[0] == k) {
            std::filesystem::remove(fuzz_dir().file(name));
        } else {
            write_input(name, in.data + from, to - from);
        }
    }
    std::vector<std::string> args = {"convert", fuzz_dir().file("set")};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    try {
        convert(static_cast<int>(args.size()), argv.data());
    } catch (const FatalError&) {
    }
    return 0;
}

}  // namespace slicemesh::fuzz
