#include "render/frame_colours.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/render/rgb_planes.h"

namespace slicemesh {
namespace {

using test::RgbPlanes;

// A plain second implementation of the table: explicit chains walked in order, and
// boxes that own copies of their colours.
struct Reference {
    std::vector<Rgb> entries;
    std::map<std::uint32_t, int> index;  // key -> entry
};

struct RefColour {
    Rgb rgb;
    std::uint64_t count;
};

struct RefBox {
    bool used = false;
    std::vector<RefColour> colours;
    int edge = 0;
    int origin[3] = {0, 0, 0};
    std::uint64_t count() const {
        std::uint64_t n = 0;
        for (const RefColour& c : colours) n += c.count;
        return n;
    }
};

void reference_split(std::vector<RefBox>& boxes, int& used, const std::vector<RefColour>& colours,
                     const int origin[3], int child_edge) {
    int mid[3] = {origin[0] + child_edge, origin[1] + child_edge, origin[2] + child_edge};
    for (int k = 0; k < 8; ++k) {
        bool high[3] = {(k & 1) != 0, (k & 2) != 0, (k & 4) != 0};
        std::vector<RefColour> part;
        for (const RefColour& c : colours) {
            int v[3] = {c.rgb.red, c.rgb.green, c.rgb.blue};
            if ((v[0] >= mid[0]) == high[0] && (v[1] >= mid[1]) == high[1] && (v[2] >= mid[2]) == high[2])
                part.push_back(c);
        }
        if (part.empty()) continue;
        std::size_t slot = 0;
        while (boxes[slot].used) ++slot;
        RefBox& box = boxes[slot];
        box.used = true;
        box.edge = part.size() == 1 ? 0 : child_edge;
        for (int a = 0; a < 3; ++a) box.origin[a] = high[a] ? mid[a] : origin[a];
        box.colours = part;
        ++used;
    }
}

Reference reference_table(const RgbPlanes& f) {
    std::vector<std::vector<RefColour>> chains(4096);
    for (int i = 0; i < f.height; ++i) {
        for (int j = 0; j < f.width; ++j) {
            Rgb c = f.at(j, i);
            auto& chain = chains[(c.blue >> 4) * 256 + (c.green >> 4) * 16 + (c.red >> 4)];
            bool found = false;
            for (RefColour& rc : chain) {
                if (rc.rgb == c) {
                    ++rc.count;
                    found = true;
                }
            }
            if (!found) chain.push_back({c, 1});
        }
    }
    std::vector<RefColour> all;
    for (const auto& chain : chains) all.insert(all.end(), chain.begin(), chain.end());

    Reference ref;
    auto key = [](Rgb c) { return colour_key(c.red, c.green, c.blue); };
    if (all.size() <= 256) {
        for (const RefColour& c : all) {
            ref.index[key(c.rgb)] = static_cast<int>(ref.entries.size());
            ref.entries.push_back(c.rgb);
        }
        return ref;
    }
    std::vector<RefBox> boxes(256);
    int used = 0;
    const int zero[3] = {0, 0, 0};
    reference_split(boxes, used, all, zero, 128);
    while (used < 250) {
        int chosen = -1;
        for (int s = 0; s < 256; ++s) {
            if (boxes[s].used && boxes[s].edge >= 2 && (chosen < 0 || boxes[s].count() > boxes[chosen].count()))
                chosen = s;
        }
        if (chosen < 0) break;
        RefBox box = boxes[chosen];
        boxes[chosen] = RefBox{};
        --used;
        reference_split(boxes, used, box.colours, box.origin, box.edge / 2);
    }
    for (const RefBox& box : boxes) {
        if (!box.used) continue;
        long double sum[3] = {0, 0, 0};
        for (const RefColour& c : box.colours) {
            sum[0] += static_cast<long double>(c.count) * c.rgb.red;
            sum[1] += static_cast<long double>(c.count) * c.rgb.green;
            sum[2] += static_cast<long double>(c.count) * c.rgb.blue;
        }
        long double n = static_cast<long double>(box.count());
        auto mean = [&](long double s) { return static_cast<std::uint8_t>(s / n + 0.5L); };
        for (const RefColour& c : box.colours) ref.index[key(c.rgb)] = static_cast<int>(ref.entries.size());
        ref.entries.push_back({mean(sum[0]), mean(sum[1]), mean(sum[2])});
    }
    return ref;
}

std::vector<Rgb> built_entries(FrameColours& table, const RgbPlanes& f) {
    table.frame_palette_build(f.width, f.height, f.red(), f.green(), f.blue());
    return {table.entries().begin(), table.entries().end()};
}

std::string describe(Rgb c) {
    std::string text = "(";
    text += std::to_string(c.red);
    text += ',';
    text += std::to_string(c.green);
    text += ',';
    text += std::to_string(c.blue);
    return text + ')';
}

void expect_matches_reference(FrameColours& table, const RgbPlanes& f) {
    Reference ref = reference_table(f);
    std::vector<Rgb> got = built_entries(table, f);
    ASSERT_EQ(got.size(), ref.entries.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k], ref.entries[k]) << "entry " << k << ": " << describe(got[k]) << " vs "
                                          << describe(ref.entries[k]);
    }
    int wrong = 0;
    for (int i = 0; i < f.height; ++i) {
        for (int j = 0; j < f.width; ++j) {
            Rgb c = f.at(j, i);
            if (table.frame_palette_index(c.red, c.green, c.blue) != ref.index[colour_key(c.red, c.green, c.blue)])
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// Every entry must be the count-weighted mean, rounded half up, of the pixels that map to it.
void expect_entries_are_means(FrameColours& table, const RgbPlanes& f) {
    std::vector<Rgb> got = built_entries(table, f);
    std::vector<std::uint64_t> n(got.size()), sum(got.size() * 3);
    for (int i = 0; i < f.height; ++i) {
        for (int j = 0; j < f.width; ++j) {
            Rgb c = f.at(j, i);
            int k = table.frame_palette_index(c.red, c.green, c.blue);
            ASSERT_LT(k, static_cast<int>(got.size()));
            ++n[k];
            sum[k * 3] += c.red;
            sum[k * 3 + 1] += c.green;
            sum[k * 3 + 2] += c.blue;
        }
    }
    for (std::size_t k = 0; k < got.size(); ++k) {
        ASSERT_GT(n[k], 0u) << "entry " << k << " has no pixel";
        auto mean = [&](int a) { return static_cast<std::uint8_t>((2 * sum[k * 3 + a] + n[k]) / (2 * n[k])); };
        EXPECT_EQ(got[k], (Rgb{mean(0), mean(1), mean(2)})) << "entry " << k;
    }
}

std::uint8_t byte_of(std::mt19937& rng) { return static_cast<std::uint8_t>(rng() >> 24); }

TEST(FrameColours, ExactTableFollowsChainsThenFirstAppearance) {
    // Neither value nor frequency orders the table: red 0x35 comes before 0x31 (same
    // chain, seen first), and the frequent 0x10 is no earlier than its chain allows.
    RgbPlanes f(4, 2);
    f.fill({{0x35, 0, 0}, {0x10, 0, 0}, {0x31, 0, 0}, {0, 0x10, 0},
            {0, 0, 0x10}, {0x12, 0, 0}, {0x10, 0, 0}, {0x10, 0, 0}});
    FrameColours table;
    std::vector<Rgb> expected = {{0x10, 0, 0}, {0x12, 0, 0}, {0x35, 0, 0},
                                 {0x31, 0, 0}, {0, 0x10, 0}, {0, 0, 0x10}};
    EXPECT_EQ(built_entries(table, f), expected);
    EXPECT_EQ(table.frame_palette_index(0x10, 0, 0), 0);
    EXPECT_EQ(table.frame_palette_index(0x31, 0, 0), 3);
    EXPECT_EQ(table.frame_palette_index(0, 0, 0x10), 5);
}

TEST(FrameColours, SmallFrames) {
    FrameColours table;
    {
        SCOPED_TRACE("single colour");
        RgbPlanes f(5, 3);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 5; ++j) f.set(j, i, {200, 100, 7});
        EXPECT_EQ(built_entries(table, f), (std::vector<Rgb>{{200, 100, 7}}));
        EXPECT_EQ(table.frame_palette_index(200, 100, 7), 0);
    }
    {
        SCOPED_TRACE("runs of 9 pixels, across row ends");
        RgbPlanes f(37, 11);
        for (int i = 0; i < 11; ++i)
            for (int j = 0; j < 37; ++j) {
                int k = (i * 37 + j) / 9;
                f.set(j, i, {static_cast<std::uint8_t>(k * 40), static_cast<std::uint8_t>(k), 3});
            }
        expect_matches_reference(table, f);
        EXPECT_EQ(table.distinct_colours(), 46u);
    }
    {
        SCOPED_TRACE("empty frame, after a frame with colours");
        RgbPlanes f(0, 0);
        EXPECT_TRUE(built_entries(table, f).empty());
        EXPECT_EQ(table.frame_palette_index(200, 100, 7), 0);  // a stale colour is no fault
    }
}

TEST(FrameColours, At256ColoursExactAt257Quantised) {
    FrameColours table;
    for (int distinct : {256, 257}) {
        SCOPED_TRACE(distinct);
        RgbPlanes f(distinct, 2);
        std::vector<Rgb> colours;
        for (int k = 0; k < distinct; ++k)  // spread over many chains, two pixels each
            colours.push_back({static_cast<std::uint8_t>(k * 37), static_cast<std::uint8_t>(k * 11 + k / 256),
                               static_cast<std::uint8_t>(k * 3)});
        for (int k = 0; k < distinct; ++k) {
            f.set(k, 0, colours[k]);
            f.set(distinct - 1 - k, 1, colours[k]);
        }
        expect_matches_reference(table, f);
        std::vector<Rgb> got = built_entries(table, f);
        if (distinct == 256) {
            EXPECT_EQ(got.size(), 256u);
            for (int k = 0; k < distinct; ++k) {
                Rgb c = colours[k];
                EXPECT_EQ(got[table.frame_palette_index(c.red, c.green, c.blue)], c);
            }
        } else {
            EXPECT_LE(got.size(), 256u);
            EXPECT_GE(got.size(), 250u);  // the quantiser stops at 250 boxes or more
        }
        expect_entries_are_means(table, f);
    }
}

TEST(FrameColours, QuantiserAgreesWithReference) {
    struct Case {
        const char* desc;
        int width, height;
        Rgb (*pixel)(std::mt19937&, int x, int y);
    };
    const std::vector<Case> cases = {
        {"uniform noise", 64, 64,
         [](std::mt19937& r, int, int) { return Rgb{byte_of(r), byte_of(r), byte_of(r)}; }},
        {"gradient with equal counts (ties go to the lowest slot)", 64, 48,
         [](std::mt19937&, int x, int y) {
             return Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 5), 90};
         }},
        {"clusters of a shaded scene", 120, 90,
         [](std::mt19937& r, int x, int y) {
             static const Rgb base[4] = {{250, 20, 20}, {20, 240, 30}, {30, 30, 200}, {128, 128, 128}};
             Rgb b = base[(x / 30 + y / 45) % 4];
             int s = static_cast<int>(r() % 150);
             return Rgb{static_cast<std::uint8_t>(b.red * (200 - s) / 200 + r() % 3),
                        static_cast<std::uint8_t>(b.green * (200 - s) / 200 + r() % 3),
                        static_cast<std::uint8_t>(b.blue * (200 - s) / 200)};
         }},
        {"runs of 13 pixels, across row ends", 100, 60,
         [](std::mt19937&, int x, int y) {
             int k = (y * 100 + x) / 13;
             return Rgb{static_cast<std::uint8_t>(k * 7), static_cast<std::uint8_t>(k * 3 + k / 256), 40};
         }},
        {"dark cloud and one heavy isolated colour", 60, 40,
         [](std::mt19937& r, int x, int) {
             if (x < 20) return Rgb{255, 255, 255};
             return Rgb{static_cast<std::uint8_t>(r() % 24), static_cast<std::uint8_t>(r() % 24),
                        static_cast<std::uint8_t>(r() % 24)};
         }},
    };
    FrameColours table;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::mt19937 rng(7);
        RgbPlanes f(c.width, c.height);
        for (int i = 0; i < c.height; ++i)
            for (int j = 0; j < c.width; ++j) f.set(j, i, c.pixel(rng, j, i));
        expect_matches_reference(table, f);
        expect_entries_are_means(table, f);
        ASSERT_GT(table.distinct_colours(), 256u);
        // The heavy white stands alone in its octant from the first split on.
        if (std::string(c.desc).find("isolated") != std::string::npos) {
            EXPECT_EQ(table.entries()[table.frame_palette_index(255, 255, 255)], (Rgb{255, 255, 255}));
        }
    }
}

TEST(FrameColours, LoneColourKeepsItsValueAndPairsRoundHalfUp) {
    // 255 colours of three pixels each, far from the corner, and the pair (0,0,0), (1,0,0)
    // of one pixel each. Every other splittable box outweighs the pair, so the quantiser
    // reaches 250 boxes before it would split the pair: its entry is the mean
    // (0.5, 0, 0), rounded half up to (1, 0, 0). The heavy colours stay exact.
    std::vector<Rgb> colours;
    for (int k = 0; k < 255; ++k)
        colours.push_back({static_cast<std::uint8_t>(16 + (k % 15) * 16), static_cast<std::uint8_t>(16 + (k / 15) * 13),
                           static_cast<std::uint8_t>(200 + k % 7)});
    RgbPlanes f(255 * 3 + 2, 1);
    for (int k = 0; k < 255 * 3; ++k) f.set(k, 0, colours[k % 255]);
    f.set(255 * 3, 0, {0, 0, 0});
    f.set(255 * 3 + 1, 0, {1, 0, 0});
    FrameColours table;
    std::vector<Rgb> got = built_entries(table, f);
    int pair = table.frame_palette_index(0, 0, 0);
    EXPECT_EQ(table.frame_palette_index(1, 0, 0), pair);
    EXPECT_EQ(got[pair], (Rgb{1, 0, 0}));
    int exact = 0;
    for (const Rgb& c : colours) exact += got[table.frame_palette_index(c.red, c.green, c.blue)] == c;
    EXPECT_GT(exact, 0);
    expect_matches_reference(table, f);
}

TEST(FrameColours, ReusedTableForgetsThePreviousFrame) {
    FrameColours table;
    std::mt19937 rng(3);
    RgbPlanes many(40, 40);
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j) many.set(j, i, {byte_of(rng), byte_of(rng), byte_of(rng)});
    RgbPlanes few(3, 1);
    few.fill({{9, 9, 9}, {1, 2, 3}, {9, 9, 9}});
    for (int round = 0; round < 2; ++round) {
        expect_matches_reference(table, many);
        EXPECT_EQ(built_entries(table, few), (std::vector<Rgb>{{9, 9, 9}, {1, 2, 3}}));  // one chain
        EXPECT_EQ(table.distinct_colours(), 2u);
    }
}

}  // namespace
}  // namespace slicemesh
