#include "stl/ascii_stl.h"

#include <cstring>

namespace slicemesh {

namespace {

char* put_text(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

char* put_vertex(char* p, const std::array<int, 3>& xyz) {
    p = put_text(p, "vertex ");
    p = OutBuffer::format_int(p, xyz[0]);
    *p++ = ' ';
    p = OutBuffer::format_int(p, xyz[1]);
    *p++ = ' ';
    p = OutBuffer::format_int(p, xyz[2]);
    *p++ = '\n';
    return p;
}

}  // namespace

void AsciiStlWriter::facet(Direction d, int p, int u0, int v0, int u1, int v1, int u2, int v2) {
    // The normal line takes one of six fixed texts.
    static constexpr std::string_view normal_lines[6] = {
        "facet normal -1 0 0\nouter loop\n", "facet normal 1 0 0\nouter loop\n",
        "facet normal 0 -1 0\nouter loop\n", "facet normal 0 1 0\nouter loop\n",
        "facet normal 0 0 -1\nouter loop\n", "facet normal 0 0 1\nouter loop\n"};
    // A facet is at most 32 + 3 x 44 + 17 bytes; formatting straight into the buffer
    // keeps millions of facets cheap.
    char* at = out_.reserve(192);
    at = put_text(at, normal_lines[index_of(d)]);
    at = put_vertex(at, corner_xyz(d, p, u0, v0));
    at = put_vertex(at, corner_xyz(d, p, u1, v1));
    at = put_vertex(at, corner_xyz(d, p, u2, v2));
    at = put_text(at, "endloop\nendfacet\n");
    out_.commit(at);
}

}  // namespace slicemesh
