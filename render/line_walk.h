#pragma once
// The Bresenham walk shared by segments and by the edge walks of triangle filling.

#include <cstdlib>

namespace slicemesh {

// Visits the points of the line from (a0, b0) to (a1, b1), the end point only when
// with_end is set. The first axis is major when its delta is larger, otherwise the
// second (a tie goes to the second). The error term starts at 2 minor - major; after each
// visit, if it is >= 0 the minor coordinate steps and 2 minor - 2 major is added,
// otherwise 2 minor; then the major coordinate steps.
template <typename Visit>
void line_walk(int a0, int b0, int a1, int b1, bool with_end, Visit&& visit) {
    const int da = std::abs(a1 - a0), db = std::abs(b1 - b0);
    const int sa = a1 >= a0 ? 1 : -1, sb = b1 >= b0 ? 1 : -1;
    const bool a_major = da > db;
    const int major = a_major ? da : db, minor = a_major ? db : da;
    int e = 2 * minor - major;
    int a = a0, b = b0;
    for (int k = with_end ? 0 : 1; k <= major; ++k) {
        visit(a, b);
        if (e >= 0) {
            if (a_major) b += sb;
            else a += sa;
            e += 2 * minor - 2 * major;
        } else {
            e += 2 * minor;
        }
        if (a_major) a += sa;
        else b += sb;
    }
}

}  // namespace slicemesh
