#include "vm/trigon.h"

#include <gtest/gtest.h>

#include "vm/trigon_sink.h"

namespace slicemesh {
namespace {

TEST(Trigon, RecordLayout) {
    TrigonRecord r = make_trigon(1, 0x0203, 65535, 4, 5, 6, 0x1234, 0x00CCBBAA);
    const std::uint8_t expected[18] = {1, 0, 3, 2, 0xFF, 0xFF, 4, 0, 5, 0, 6, 0, 0x34, 0x12, 0xAA, 0xBB, 0xCC, 0};
    EXPECT_EQ(r, std::to_array(expected));
    PlaneTriangle t = decode_plane_triangle(r.data(), Direction::py);
    EXPECT_EQ(t.plane, 0x1234);
    EXPECT_EQ(t.u, (std::array<std::uint16_t, 3>{1, 65535, 5}));
    EXPECT_EQ(t.v, (std::array<std::uint16_t, 3>{0x0203, 4, 6}));
    TrigonColour c = trigon_colour(r.data());
    EXPECT_EQ(c.red, 0xAA);
    EXPECT_EQ(c.green, 0xBB);
    EXPECT_EQ(c.blue, 0xCC);
}

TEST(Trigon, FieldsKeepTheirLow16Bits) {
    TrigonRecord r = make_trigon(0x10001, 0, 0, 0, 0, 0, 0x20002, 0);
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[12], 2);
    EXPECT_EQ(r[13], 0);
}

TEST(MemoryTrigonSink, AppendsWithTheCurrentPlaneAndStartsEachListAfresh) {
    TrigonList first, second;
    second.count = 99;  // a stale count is reset at the start of the direction
    MemoryTrigonSink sink;
    sink.start_direction(first);
    sink.set_plane(3);
    sink(0, 0, 1, 0, 0, 1, 0x030201);
    sink.set_plane(4);
    sink(1, 1, 2, 1, 1, 2, 0x060504);
    sink.start_direction(second);
    sink(7, 7, 8, 7, 7, 8, 0);
    ASSERT_EQ(first.count, 2u);
    ASSERT_EQ(first.records.size(), 2u);
    EXPECT_EQ(first.records[0], make_trigon(0, 0, 1, 0, 0, 1, 3, 0x030201));
    EXPECT_EQ(first.records[1], make_trigon(1, 1, 2, 1, 1, 2, 4, 0x060504));
    ASSERT_EQ(second.count, 1u);
    EXPECT_EQ(second.records[0], make_trigon(7, 7, 8, 7, 7, 8, 4, 0));
}

}  // namespace
}  // namespace slicemesh
