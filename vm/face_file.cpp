#include "vm/face_file.h"

#include <new>

#include "slicein/diagnostics.h"
#include "vm/face_files.h"

namespace slicemesh {

FaceStream open_face_file(std::string_view base, Direction d) {
    std::string name = face_file_name(base, d, 'm');
    FaceStream stream(std::fopen(name.c_str(), "w+b"));
    if (!stream) fatal(name + std::string(vm_file_not_open));
    return stream;
}

void read_face_file(FaceStream stream, TrigonList& list) {
    try {
        list.records.assign(list.count, TrigonRecord{});
    } catch (const std::bad_alloc&) {
        fatal(trigon_memory_error);
    } catch (const std::length_error&) {
        fatal(trigon_memory_error);
    }
    if (std::fseek(stream.get(), 0, SEEK_SET) != 0) fatal(trigon_read_error);
    if (std::fread(list.records.data(), trigon_size, list.count, stream.get()) != list.count) fatal(trigon_read_error);
}

}  // namespace slicemesh
