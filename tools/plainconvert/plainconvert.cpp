#include "tools/plainconvert/plainconvert.h"

#include <cstdio>
#include <memory>
#include <string>

#include "slicein/diagnostics.h"
#include "stl/ascii_stl.h"
#include "vm/face_files.h"
#include "vm/s_record.h"

namespace slicemesh {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

int run_plainconvert(int argc, char** argv) {
    if (argc != 2) fatal("usage : plainconvert VM");
    AsciiStlWriter stl(stdout);
    stl.begin();
    for (Direction d : all_directions) {
        std::string name = face_file_name(argv[1], d, 's');
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "rb"));
        if (!file) fatal(name + " : VM file not found.");
        // Streams one record at a time; a trailing partial record is ignored.
        unsigned char record[s_record_size];
        while (std::fread(record, 1, sizeof record, file.get()) == sizeof record)
            stl.facet(decode_plane_triangle(record, d));
    }
    stl.end();
    return 0;
}

}  // namespace slicemesh
