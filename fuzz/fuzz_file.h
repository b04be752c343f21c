#pragma once
// Readers that take only a path get the fuzz input through files in one temporary
// folder per process, rewritten for every input. Every input is written and read back,
// so the replays point TMPDIR at a file system in memory where there is one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace slicemesh::fuzz {

inline const test::TempDir& fuzz_dir() {
    static const test::TempDir dir;
    return dir;
}

// Replaces the file's contents with the bytes and returns its path.
inline std::string write_input(std::string_view name, const std::uint8_t* bytes, std::size_t size) {
    return fuzz_dir().write(name, std::string_view(reinterpret_cast<const char*>(bytes), size));
}

}  // namespace slicemesh::fuzz
