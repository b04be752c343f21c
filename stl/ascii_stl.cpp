#include "stl/ascii_stl.h"

namespace slicemesh {

void AsciiStlWriter::vertex(Direction d, int p, int u, int v) {
    std::array<int, 3> xyz = corner_xyz(d, p, u, v);
    out_.put("vertex ");
    out_.put_int(xyz[0]);
    out_.put_char(' ');
    out_.put_int(xyz[1]);
    out_.put_char(' ');
    out_.put_int(xyz[2]);
    out_.put_char('\n');
}

void AsciiStlWriter::facet(Direction d, int p, int u0, int v0, int u1, int v1, int u2, int v2) {
    // The normal line takes one of six fixed texts.
    static constexpr std::string_view normal_lines[6] = {
        "facet normal -1 0 0\nouter loop\n", "facet normal 1 0 0\nouter loop\n",
        "facet normal 0 -1 0\nouter loop\n", "facet normal 0 1 0\nouter loop\n",
        "facet normal 0 0 -1\nouter loop\n", "facet normal 0 0 1\nouter loop\n"};
    out_.put(normal_lines[index_of(d)]);
    vertex(d, p, u0, v0);
    vertex(d, p, u1, v1);
    vertex(d, p, u2, v2);
    out_.put("endloop\nendfacet\n");
}

}  // namespace slicemesh
