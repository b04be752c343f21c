#include "stl/ascii_stl.h"

#include "slicein/diagnostics.h"

#include <cstring>

namespace slicemesh {

namespace {

char* put_text(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// A number formatted once and copied wherever it appears: the plane coordinate is in
// all three vertices of a facet.
struct NumberText {
    char digits[12];  // an int needs at most 11
    int length;
};

NumberText number_text(int value) {
    NumberText t;
    t.length = static_cast<int>(OutBuffer::format_int(t.digits, value) - t.digits);
    return t;
}

// Copies all twelve bytes (the caller leaves room) and advances by the length.
char* put_number(char* p, const NumberText& t) {
    std::memcpy(p, t.digits, sizeof t.digits);
    return p + t.length;
}

char* put_vertex(char* p, const std::array<NumberText, 3>& xyz) {
    p = put_text(p, "vertex ");
    p = put_number(p, xyz[0]);
    *p++ = ' ';
    p = put_number(p, xyz[1]);
    *p++ = ' ';
    p = put_number(p, xyz[2]);
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
    // A facet is at most 32 + 3 x 43 + 17 bytes, plus the slack of put_number; formatting
    // straight into the buffer keeps millions of facets cheap.
    char* at = out_.reserve(256);
    at = put_text(at, normal_lines[index_of(d)]);
    const NumberText plane = number_text(p);
    at = put_vertex(at, corner_xyz(d, plane, number_text(u0), number_text(v0)));
    at = put_vertex(at, corner_xyz(d, plane, number_text(u1), number_text(v1)));
    at = put_vertex(at, corner_xyz(d, plane, number_text(u2), number_text(v2)));
    at = put_text(at, "endloop\nendfacet\n");
    out_.commit(at);
}

void AsciiStlWriter::end() {
    out_.put("endsolid\n");
    if (!out_.flush()) fatal(ascii_stl_write_error);
}

}  // namespace slicemesh
