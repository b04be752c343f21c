#include <gtest/gtest.h>

#include "tests/outline/outline_harness.h"
#include "tests/support/fatal_text.h"

namespace slicemesh {
namespace {

using test::Triangle;

TEST(Outline, SingleCellGivesTwoTrianglesInBothForms) {
    const std::vector<Triangle> want = {{{3, 6, 2, 6, 3, 5}, 0}, {{2, 6, 3, 5, 2, 5}, 0}};
    test::TextGrid grid(7, std::string(5, '.'));
    grid[5][2] = 'a';
    EXPECT_EQ(test::outline_text(OutlineForm::plain, grid, 0, 0, 4, 6), want);
    std::vector<Triangle> labelled = test::outline_text(OutlineForm::labelled, grid, 0, 0, 4, 6);
    ASSERT_EQ(labelled.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(labelled[i].corners, want[i].corners);
        EXPECT_EQ(labelled[i].label, 1);
    }
}

TEST(Outline, LabelsAreHandedThroughUnchanged) {
    // The label grid carries colour keys and colour words; extremes of the allowed range
    // must survive the doubling.
    for (std::int32_t label : {0, -1, 0x8000, 0xFFFFFF, (1 << 30) - 1, -(1 << 30)}) {
        SCOPED_TRACE(label);
        Outline outline(OutlineForm::labelled, 2, 1);
        outline.work_row(0)[1] = 0;
        outline.label_row(0)[1] = label;
        std::vector<Triangle> got = test::run_outline(outline, 0, 0, 1, 0);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].label, label);
        EXPECT_EQ(got[1].label, label);
    }
}

TEST(Outline, NoMarkedCellNoSinkCall) {
    for (OutlineForm form : {OutlineForm::plain, OutlineForm::labelled}) {
        Outline outline(form, 6, 4);
        EXPECT_TRUE(test::run_outline(outline, 0, 0, 5, 3).empty());
        EXPECT_TRUE(test::run_outline(outline, 2, 1, 2, 1).empty());
    }
}

TEST(Outline, CornersReachTheLargestCoordinateOfEachForm) {
    // The last cell of the widest grid each form allows: its far corner is the largest
    // value a 16-bit node holds (doubled in the labelled form).
    struct Case {
        const char* desc;
        OutlineForm form;
        int n;
    };
    const Case cases[] = {{"plain", OutlineForm::plain, 65535}, {"labelled", OutlineForm::labelled, 32767}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        Outline outline(c.form, c.n, 2);
        const int x = c.n - 1;
        outline.work_row(1)[x] = 0;
        std::vector<Triangle> got = test::run_outline(outline, x, 1, x, 1);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].corners, (std::array<int, 6>{x + 1, 2, x, 2, x + 1, 1}));
        EXPECT_EQ(got[1].corners, (std::array<int, 6>{x, 2, x + 1, 1, x, 1}));
    }
}

TEST(Outline, StackExtentLimits) {
    struct Case {
        const char* desc;
        OutlineForm form;
        int w, h, n;
        bool ok;
    };
    const Case cases[] = {
        {"plain at the limit", OutlineForm::plain, 65535, 65535, 65535, true},
        {"plain too wide", OutlineForm::plain, 65536, 1, 1, false},
        {"plain too high", OutlineForm::plain, 1, 65536, 1, false},
        {"plain too long", OutlineForm::plain, 1, 1, 65536, false},
        {"labelled at the limit", OutlineForm::labelled, 32767, 32767, 32767, true},
        {"labelled too wide", OutlineForm::labelled, 32768, 1, 1, false},
        {"labelled too high", OutlineForm::labelled, 1, 32768, 1, false},
        {"labelled too long", OutlineForm::labelled, 1, 1, 32768, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::string text = test::fatal_text([&] { check_outline_extent(c.form, c.w, c.h, c.n); });
        EXPECT_EQ(text, c.ok ? "<no error>" : "too large stack.\n");
    }
    EXPECT_EQ(std::string(too_large_stack_message) + "\n", "too large stack.\n");
}

TEST(Outline, PlainGridHasRowAndColumnMinusOneSet) {
    Outline outline(OutlineForm::plain, 3, 2);
    for (int x = -1; x < 3; ++x) EXPECT_EQ(outline.work_row(-1)[x], 1);
    for (int y = -1; y < 2; ++y) EXPECT_EQ(outline.work_row(y)[-1], 1);
}

TEST(Outline, CallsAreIndependent) {
    // One grid, rewritten between calls, as the sweeps use it.
    Outline outline(OutlineForm::plain, 4, 4);
    test::fill_outline(outline, {"aaaa", "a..a", "aaaa", "...."});
    std::vector<Triangle> first = test::run_outline(outline, 0, 0, 3, 2);
    test::fill_outline(outline, {"....", ".a..", "....", "...."});
    EXPECT_EQ(test::to_string(test::run_outline(outline, 1, 1, 1, 1)), "2 2 1 2 2 1 ; 1 2 2 1 1 1");
    test::fill_outline(outline, {"aaaa", "a..a", "aaaa", "...."});
    EXPECT_EQ(test::run_outline(outline, 0, 0, 3, 2), first);
}

}  // namespace
}  // namespace slicemesh
