#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fatal_text.h"
#include "tools/plainfacets/range_list.h"

namespace slicemesh {
namespace {

struct Range {
    int low, high;
};

struct Case {
    const char* desc;
    const char* text;
    std::vector<Range> selected;  // empty with ok = false: rejected
    bool ok = true;
};

TEST(RangeList, AcceptedAndRejectedLists) {
    const Case cases[] = {
        {"single value", "7", {{7, 7}}},
        {"closed range", "3-5", {{3, 5}}},
        {"range of one", "5-5", {{5, 5}}},
        {"open upper end", "3-", {{3, 65535}}},
        {"open lower end", "-3", {{0, 3}}},
        {"everything", "-", {{0, 65535}}},
        {"both open ends at one value", "3-,-3", {{0, 65535}}},
        {"leading zeros", "007-0010", {{7, 10}}},
        {"largest value", "65535", {{65535, 65535}}},
        {"leading zeros before the largest value", "0000065535", {{65535, 65535}}},
        {"commas around and between", ",,1,,4-5,,", {{1, 1}, {4, 5}}},
        {"repeats and overlaps", "2,2,1-3,3", {{1, 3}}},
        {"empty argument selects nothing", "", {}},
        {"only commas select nothing", ",,,", {}},
        {"zero", "0", {{0, 0}}},
        {"upper bound below lower", "5-3", {}, false},
        {"two dashes", "1--3", {}, false},
        {"second dash after a range", "1-3-", {}, false},
        {"space after a comma", "1, 2", {}, false},
        {"leading space", " 1", {}, false},
        {"value above the largest", "65536", {}, false},
        {"large upper bound", "1-70000", {}, false},
        {"huge number", "99999999999999999999", {}, false},
        {"letter", "1a", {}, false},
        {"plus sign", "+1", {}, false},
        {"semicolon", "1;2", {}, false},
        {"bad item after good ones", "1,2,x", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        std::vector<std::uint8_t> selection(65536, 9);
        std::string error = test::fatal_text([&] { parse_range_list(c.text, 65535, selection); });
        if (!c.ok) {
            EXPECT_EQ(error, "bad range list.\n");
            continue;
        }
        ASSERT_EQ(error, "<no error>");
        std::vector<std::uint8_t> want(65536, 0);
        for (Range r : c.selected)
            for (int v = r.low; v <= r.high; ++v) want[static_cast<std::size_t>(v)] = 1;
        EXPECT_TRUE(selection == want);
    }
}

TEST(RangeList, MessageConstant) { EXPECT_STREQ(bad_range_list_message, "bad range list."); }

}  // namespace
}  // namespace slicemesh
