#include "slicein/colour_table.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "slicein/diagnostics.h"

namespace slicemesh {

namespace {

// Lines are read in pieces of this many characters; a longer line goes on as a new one.
constexpr int piece_size = 255;

// Reads up to eight integers as the "%d %d ..." conversion does (white space is skipped,
// not required); -1 when the piece holds only white space. A number too large for an int
// is kept saturated far outside every accepted range, so the range checks reject it.
int read_integers(const char* p, long long (&values)[8]) {
    constexpr long long saturated = 1LL << 40;
    int n = 0;
    while (n < 8) {
        while (std::isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p == '\0') return n == 0 ? -1 : n;
        const char* q = p;
        bool negative = *q == '-';
        if (*q == '-' || *q == '+') ++q;
        if (!std::isdigit(static_cast<unsigned char>(*q))) return n;
        long long v = 0;
        for (; std::isdigit(static_cast<unsigned char>(*q)); ++q)
            if (v < saturated) v = v * 10 + (*q - '0');
        values[n++] = negative ? -v : v;
        p = q;
    }
    return n;
}

bool blank(const char* p) {
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    return *p == '\0';
}

struct Rgb {
    long long r, g, b;
};

void show(ColourTable& table, int v, int r, int g, int b) {
    auto at = static_cast<std::size_t>(v);
    table.shown[at] = 1;
    table.red[at] = static_cast<std::uint8_t>(r);
    table.green[at] = static_cast<std::uint8_t>(g);
    table.blue[at] = static_cast<std::uint8_t>(b);
}

// One command line; false when it ends the table.
bool apply_line(ColourTable& table, const char* line) {
    long long v[8] = {};
    int n = read_integers(line, v);
    if (n < 0) return false;
    if (n == 0 || n == 3 || n == 6 || n == 7) fatal("bad color parameter.");
    long long lo = v[0];
    long long hi = n == 1 || n == 4 ? v[0] : v[1];
    if (lo < 0 || hi > 255 || lo > hi) fatal("bad pixel value range.");
    if (n <= 2) {
        for (long long i = lo; i <= hi; ++i) table.shown[static_cast<std::size_t>(i)] = 0;
        return true;
    }
    Rgb c1 = n == 4 ? Rgb{v[1], v[2], v[3]} : Rgb{v[2], v[3], v[4]};
    Rgb c2 = n == 8 ? Rgb{v[5], v[6], v[7]} : c1;
    for (long long c : {c1.r, c1.g, c1.b, c2.r, c2.g, c2.b})
        if (c < 0 || c > 255) fatal("bad RGB value.");
    if (lo == hi) {
        show(table, static_cast<int>(lo), static_cast<int>(c1.r), static_cast<int>(c1.g), static_cast<int>(c1.b));
        return true;
    }
    // Exact integers: a range in one colour stays that colour, and both ends are exact.
    long long span = hi - lo;
    auto mix = [&](long long a, long long b, long long i) {
        return static_cast<int>((a * (hi - i) + b * (i - lo)) / span);
    };
    for (long long i = lo; i <= hi; ++i)
        show(table, static_cast<int>(i), mix(c1.r, c2.r, i), mix(c1.g, c2.g, i), mix(c1.b, c2.b, i));
    return true;
}

}  // namespace

ColourTable read_colour_table(std::string_view color_file, std::FILE* standard_input) {
    bool from_input = color_file.starts_with("-");
    std::FILE* source = standard_input;
    if (!from_input) {
        source = std::fopen(std::string(color_file).c_str(), "r");
        if (source == nullptr) fatal_named(color_file, "file not found");
    }
    struct Closer {
        std::FILE* f;
        bool owned;
        ~Closer() {
            if (owned) std::fclose(f);
        }
    } closer{source, !from_input};

    ColourTable table;
    for (int v = 1; v < 256; ++v) show(table, v, 255, 255, 255);
    // fgets leaves whatever follows the blank line unread in the stream.
    char piece[piece_size + 1];
    bool line_start = true;  // the piece begins a line rather than continuing a long one
    while (std::fgets(piece, sizeof piece, source) != nullptr) {
        bool continued = !line_start;
        line_start = std::strchr(piece, '\n') != nullptr;
        // Only a blank line ends the table: the empty rest of a line of exactly 255
        // characters (its line feed alone) must not silently drop what follows.
        if (continued && blank(piece)) continue;
        if (!apply_line(table, piece)) break;
    }
    return table;
}

}  // namespace slicemesh
