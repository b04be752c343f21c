// On many random grids: the triangles cover exactly the marked cells of each region,
// each once, by triangles of that region alone; none is degenerate; every corner is a
// cell corner of the rectangle; a rectangle without marked cells gives no sink call.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "tests/outline/outline_harness.h"

namespace slicemesh {
namespace {

using test::Triangle;

struct Point {
    double x, y;
};

double polygon_area(const std::vector<Point>& p) {
    double twice = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % p.size()];
        twice += a.x * b.y - a.y * b.x;
    }
    return std::abs(twice) / 2;
}

// Sutherland-Hodgman against one axis-aligned half plane: keep coordinate axis of a
// point on the side sign * (value - limit) >= 0.
std::vector<Point> clip(const std::vector<Point>& in, int axis, double limit, double sign) {
    std::vector<Point> out;
    auto coord = [axis](const Point& p) { return axis == 0 ? p.x : p.y; };
    for (std::size_t i = 0; i < in.size(); ++i) {
        const Point& a = in[i];
        const Point& b = in[(i + 1) % in.size()];
        double da = sign * (coord(a) - limit), db = sign * (coord(b) - limit);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) {
            double t = da / (da - db);
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return out;
}

double area_in_cell(const Triangle& t, int x, int y) {
    std::vector<Point> p = {{double(t.corners[0]), double(t.corners[1])},
                            {double(t.corners[2]), double(t.corners[3])},
                            {double(t.corners[4]), double(t.corners[5])}};
    p = clip(p, 0, x, 1);
    p = clip(p, 0, x + 1, -1);
    p = clip(p, 1, y, 1);
    p = clip(p, 1, y + 1, -1);
    return p.size() < 3 ? 0 : polygon_area(p);
}

// +1 strictly inside, 0 on an edge, -1 outside.
int contains(const Triangle& t, double px, double py) {
    const auto& c = t.corners;
    double s[3];
    for (int i = 0; i < 3; ++i) {
        double ax = c[2 * i], ay = c[2 * i + 1];
        double bx = c[(2 * i + 2) % 6], by = c[(2 * i + 3) % 6];
        s[i] = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    }
    if (s[0] == 0 || s[1] == 0 || s[2] == 0) return 0;
    return (s[0] > 0) == (s[1] > 0) && (s[1] > 0) == (s[2] > 0) ? 1 : -1;
}

// Region of every cell of the rectangle: 4-connected marked cells of equal label
// (plain form: of any label); -1 for cells that are not marked.
std::vector<int> regions(const test::TextGrid& g, int x0, int y0, int x1, int y1, bool labelled) {
    const int w = int(g[0].size());
    std::vector<int> id(g.size() * g[0].size(), -1);
    auto marked = [&](int x, int y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1 && g[y][x] != '.'; };
    int next = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!marked(x, y) || id[y * w + x] >= 0) continue;
            std::vector<std::pair<int, int>> todo = {{x, y}};
            id[y * w + x] = next;
            while (!todo.empty()) {
                auto [cx, cy] = todo.back();
                todo.pop_back();
                const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
                for (int k = 0; k < 4; ++k) {
                    int nx = cx + dx[k], ny = cy + dy[k];
                    if (!marked(nx, ny) || id[ny * w + nx] >= 0) continue;
                    if (labelled && g[ny][nx] != g[cy][cx]) continue;
                    id[ny * w + nx] = next;
                    todo.push_back({nx, ny});
                }
            }
            ++next;
        }
    }
    return id;
}

void check_cover(OutlineForm form, const test::TextGrid& g, int x0, int y0, int x1, int y1,
                 const std::vector<Triangle>& triangles) {
    const bool labelled = form == OutlineForm::labelled;
    const int w = int(g[0].size()), h = int(g.size());
    std::vector<int> region = regions(g, x0, y0, x1, y1, labelled);
    bool any_marked = std::any_of(region.begin(), region.end(), [](int r) { return r >= 0; });
    if (!any_marked) {
        EXPECT_TRUE(triangles.empty());
        return;
    }
    std::vector<double> cover(region.size(), 0.0);
    for (const Triangle& t : triangles) {
        const auto& c = t.corners;
        for (int i = 0; i < 3; ++i) {
            ASSERT_GE(c[2 * i], x0);
            ASSERT_LE(c[2 * i], x1 + 1);
            ASSERT_GE(c[2 * i + 1], y0);
            ASSERT_LE(c[2 * i + 1], y1 + 1);
        }
        long long twice = (long long)(c[2] - c[0]) * (c[5] - c[1]) - (long long)(c[3] - c[1]) * (c[4] - c[0]);
        ASSERT_NE(twice, 0) << "degenerate triangle";
        int own_region = -2;
        const int bx0 = std::min({c[0], c[2], c[4]}), bx1 = std::max({c[0], c[2], c[4]});
        const int by0 = std::min({c[1], c[3], c[5]}), by1 = std::max({c[1], c[3], c[5]});
        for (int y = by0; y < by1; ++y) {
            for (int x = bx0; x < bx1; ++x) {
                double a = area_in_cell(t, x, y);
                if (a < 1e-9) continue;
                int r = region[y * w + x];
                ASSERT_GE(r, 0) << "triangle covers unmarked cell " << x << "," << y;
                if (own_region == -2) own_region = r;
                ASSERT_EQ(r, own_region) << "triangle spans two regions";
                if (labelled) {
                    ASSERT_EQ(t.label, g[y][x] - 'a' + 1);
                }
                cover[y * w + x] += a;
            }
        }
    }
    // Sample points off every lattice line with a small slope: each inside a marked cell
    // lies in exactly one triangle, so no two triangles overlap.
    const double offsets[][2] = {{0.5 + 1.0 / 97, 0.5 + 1.0 / 89}, {0.137, 0.211}, {0.883, 0.719}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool marked = region[y * w + x] >= 0;
            EXPECT_NEAR(cover[y * w + x], marked ? 1.0 : 0.0, 1e-9) << "cell " << x << "," << y;
            for (const auto& o : offsets) {
                int hits = 0;
                for (const Triangle& t : triangles) hits += contains(t, x + o[0], y + o[1]) == 1;
                EXPECT_EQ(hits, marked ? 1 : 0) << "cell " << x << "," << y;
            }
        }
    }
}

// rounds random grids per form of 1..max_w columns and 1..max_h rows.
void check_random_grids(unsigned seed, int rounds, int max_w, int max_h) {
    std::mt19937 rng(seed);
    for (OutlineForm form : {OutlineForm::plain, OutlineForm::labelled}) {
        const bool labelled = form == OutlineForm::labelled;
        // One grid for all rounds, as the programs reuse theirs.
        Outline outline(form, max_w, max_h);
        for (int round = 0; round < rounds; ++round) {
            const int w = std::uniform_int_distribution<int>(1, max_w)(rng);
            const int h = std::uniform_int_distribution<int>(1, max_h)(rng);
            std::uniform_int_distribution<int> pick_x(0, w - 1), pick_y(0, h - 1);
            int x0 = pick_x(rng), x1 = pick_x(rng), y0 = pick_y(rng), y1 = pick_y(rng);
            if (x0 > x1) std::swap(x0, x1);
            if (y0 > y1) std::swap(y0, y1);
            const double density = std::uniform_real_distribution<double>(0.05, 0.95)(rng);
            const int labels = labelled ? 1 + round % 3 : 1;
            test::TextGrid g(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), '.'));
            for (auto& row : g)
                for (char& c : row)
                    if (std::uniform_real_distribution<double>(0, 1)(rng) < density)
                        c = static_cast<char>('a' + std::uniform_int_distribution<int>(0, labels - 1)(rng));
            if (!labelled) {
                // The plain form's precondition: nothing marked just above and left of the rectangle.
                for (int x = std::max(0, x0 - 1); x <= x1; ++x)
                    if (y0 > 0) g[y0 - 1][x] = '.';
                for (int y = std::max(0, y0 - 1); y <= y1; ++y)
                    if (x0 > 0) g[y][x0 - 1] = '.';
            }
            test::fill_outline(outline, g);
            // Leftovers of earlier rounds outside this grid must not matter: clear them.
            for (int y = 0; y < max_h; ++y)
                for (int x = 0; x < max_w; ++x)
                    if (y >= h || x >= w) outline.work_row(y)[x] = 1;
            std::vector<Triangle> triangles = test::run_outline(outline, x0, y0, x1, y1);
            SCOPED_TRACE(::testing::Message() << (labelled ? "labelled" : "plain") << " round " << round << " rect "
                                              << x0 << " " << y0 << " " << x1 << " " << y1);
            check_cover(form, g, x0, y0, x1, y1, triangles);
            if (::testing::Test::HasFailure()) {
                for (const auto& row : g) ADD_FAILURE() << row;
                return;
            }
        }
    }
}

TEST(OutlineProperty, RandomGridsAreCoveredExactly) { check_random_grids(20261211, 1500, 12, 12); }

// Rows of more than 64 windows cross the words of the scan's inside flags.
TEST(OutlineProperty, WideRowsAreCoveredExactly) { check_random_grids(4242, 150, 200, 4); }

}  // namespace
}  // namespace slicemesh
