#pragma once
// The "_m" VM file set: six face files "base.mx_m" ... "base.pz_m", each the plain
// sequence of its direction's trigon records, created while the surface is extracted and
// read back into the trigon lists afterwards.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "stl/face_direction.h"
#include "vm/trigon.h"

namespace slicemesh {

inline constexpr std::string_view vm_file_not_open = " : VM file not open.";
inline constexpr std::string_view trigon_write_error = "trigon data write error.";
inline constexpr std::string_view trigon_read_error = "trigon data read error.";
inline constexpr std::string_view trigon_memory_error = "trigon memory allocation error.";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
using FaceStream = FileHandle;

// Creates (or truncates) the face file of direction d for reading and writing; a name the
// file system refuses ends with "name : VM file not open.".
FaceStream open_face_file(std::string_view base, Direction d);

// Fills list.records with the list.count records at the start of the stream, then closes it.
void read_face_file(FaceStream stream, TrigonList& list);

}  // namespace slicemesh
