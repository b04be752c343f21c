#pragma once
// ASCII STL document: "solid", one seven-line facet per plane triangle, "endsolid".
// The document goes as far as the stream takes it; a stream that refused any of it (a
// full disk, a closed pipe) is reported at the end, so a truncated surface never passes
// for a complete one.

#include "slicein/out_buffer.h"
#include "stl/face_direction.h"

#include <string_view>

namespace slicemesh {

inline constexpr std::string_view ascii_stl_write_error = "STL data write error.";

class AsciiStlWriter {
public:
    explicit AsciiStlWriter(std::FILE* stream) : out_(stream) {}

    void begin() { out_.put("solid\n"); }
    // Corners (u0, v0), (u1, v1), (u2, v2) in plane p, printed in the order received.
    void facet(Direction d, int p, int u0, int v0, int u1, int v1, int u2, int v2);
    // Writes "endsolid"; ends with "STL data write error." when any write failed.
    void end();
    void facet(const PlaneTriangle& t) {
        facet(t.direction, t.plane, t.u[0], t.v[0], t.u[1], t.v[1], t.u[2], t.v[2]);
    }

private:
    OutBuffer out_;
};

}  // namespace slicemesh
