#include "slicein/out_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace slicemesh {
namespace {

std::string contents(std::FILE* f) {
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    return s;
}

TEST(OutBuffer, FormatsIntegersLikePrintf) {
    const std::int64_t values[] = {0, 7, -1, 10, 65535, -65536, 1234567890123,
                                   std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::max()};
    std::FILE* f = std::tmpfile();
    std::string expected;
    {
        OutBuffer out(f, 16);  // a small buffer exercises the refills
        for (std::int64_t v : values) {
            out.put_int(v);
            out.put_char(' ');
            expected += std::to_string(v) + ' ';
        }
        EXPECT_TRUE(out.flush());
    }
    EXPECT_EQ(contents(f), expected);
    std::fclose(f);
}

TEST(OutBuffer, WritesLargerThanTheBufferPassThrough) {
    std::FILE* f = std::tmpfile();
    std::string big(1000, 'x');
    {
        OutBuffer out(f, 64);
        out.put("ab");
        out.put(big);
        out.put("cd");
    }  // the destructor flushes
    EXPECT_EQ(contents(f), "ab" + big + "cd");
    std::fclose(f);
}

TEST(OutBuffer, FailureIsSticky) {
    std::FILE* f = std::fopen("/dev/full", "wb");
    if (f == nullptr) GTEST_SKIP() << "no /dev/full";
    {
        OutBuffer out(f, 8);
        out.put("0123456789");
        EXPECT_FALSE(out.flush());
        EXPECT_FALSE(out.ok());
    }
    std::fclose(f);
}

}  // namespace
}  // namespace slicemesh
