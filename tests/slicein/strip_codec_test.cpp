// The three strip codecs on their own: known answers, every error, every end-of-strip
// warning (at most one per strip), budget against end of file, and fill order 2.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "slicein/slice_messages.h"
#include "slicein/strip_lzw.h"
#include "slicein/strip_none.h"
#include "slicein/strip_packbits.h"
#include "tests/support/fatal_text.h"
#include "tests/support/lzw_codes.h"

namespace slicemesh {
namespace {

using test::pack_codes;

enum class Codec { none, lzw, packbits };

struct Outcome {
    std::string bytes;    // what the reads delivered
    std::string error;    // the fatal text, or "<no error>"
    std::string printed;  // stderr: the warnings
};

// Decodes stored bytes through one codec: reads of the given sizes, then finish. The
// file holds `available` of the bytes (all by default); the budget is `budget`.
Outcome run(Codec codec, const std::string& stored, std::vector<std::size_t> reads, std::size_t budget,
            std::size_t available = std::string::npos, int fill_order = 1) {
    const std::string path = "s.tif";
    if (available == std::string::npos) available = stored.size();
    auto bytes = reinterpret_cast<const std::uint8_t*>(stored.data());
    Outcome out;
    auto decode = [&](auto& c) {
        c.start(StoredBytes::over(bytes, available, budget, fill_order));
        for (std::size_t n : reads) {
            std::string chunk(n, '\0');
            c.read(reinterpret_cast<std::uint8_t*>(chunk.data()), n);
            out.bytes += chunk;
        }
        c.finish();
    };
    testing::internal::CaptureStderr();
    out.error = test::fatal_text([&] {
        if (codec == Codec::none) {
            NoneStrip c(path);
            decode(c);
        } else if (codec == Codec::lzw) {
            LzwStrip c(path);
            decode(c);
        } else {
            PackBitsStrip c(path);
            decode(c);
        }
    });
    out.printed = testing::internal::GetCapturedStderr();
    return out;
}

std::string error(std::string_view message) { return "s.tif : " + std::string(message) + "\n"; }
std::string warning(std::string_view message) { return "s.tif : " + std::string(message) + " (warning).\n"; }
const std::string ok = "<no error>";

std::string reversed_bits(std::string s) {
    for (char& c : s) {
        unsigned v = static_cast<unsigned char>(c), r = 0;
        for (int i = 0; i < 8; ++i)
            if (v & (1u << i)) r |= 0x80u >> i;
        c = static_cast<char>(r);
    }
    return s;
}

// Literal codes that fill the table up to next_free == limit (the codes after the first
// each add one entry).
std::vector<int> literals_until(int next_free_limit) {
    std::vector<int> codes{256, 'a'};
    for (int next_free = 258; next_free < next_free_limit; ++next_free) codes.push_back('a' + next_free % 20);
    return codes;
}

struct CodecCase {
    const char* desc;
    Codec codec;
    std::string stored;
    std::vector<std::size_t> reads;
    std::size_t budget;
    std::size_t available;  // npos: the whole of stored
    int fill_order;
    std::string bytes;      // expected delivery (checked when no error)
    std::string error;
    std::string printed;
};

std::vector<CodecCase> codec_cases() {
    namespace m = slice_message;
    const std::size_t all = std::string::npos;
    const std::string known = pack_codes(std::vector<int>{65, 66, 258, 260, 257});
    const std::string with_clear = pack_codes(std::vector<int>{65, 66, 258, 256, 67, 68, 258, 257});
    std::vector<CodecCase> cases = {
        {"none: exact budget", Codec::none, "ABC", {3}, 3, all, 1, "ABC", ok, ""},
        {"none: one byte more than needed warns", Codec::none, "ABCD", {3}, 4, all, 1, "ABC", ok, warning(m::none_extra)},
        {"none: one byte less is fatal", Codec::none, "AB", {3}, 2, all, 1, "", error(m::none_too_few), ""},
        {"none: file ends before the budget", Codec::none, "AB", {3}, 3, all, 1, "", error(m::unexpected_eof), ""},
        {"none: budget and file end together: budget first", Codec::none, "AB", {3}, 2, 2, 1, "",
         error(m::none_too_few), ""},
        {"none: fill order 2 reverses bits", Codec::none, "\x01\x80\x0F", {3}, 3, all, 2, "\x80\x01\xF0", ok, ""},
        {"none: unread bytes past the file end still count as budget", Codec::none, "AB", {1}, 5, all, 1, "A", ok,
         warning(m::none_extra)},

        {"packbits: repeat FE 41 gives three bytes", Codec::packbits, "\xFE\x41", {3}, 2, all, 1, "AAA", ok, ""},
        {"packbits: 80 is skipped", Codec::packbits, std::string("\x80\x80\x00\x41", 4), {1}, 4, all, 1, "A", ok, ""},
        {"packbits: literal 02 copies three bytes", Codec::packbits, "\x02xyz", {3}, 4, all, 1, "xyz", ok, ""},
        {"packbits: runs cross reads", Codec::packbits, "\xFD\x41\x01xy", {2, 2, 2}, 5, all, 1, "AAAAxy", ok, ""},
        {"packbits: strip ends inside a run", Codec::packbits, "\xFE\x41", {2}, 2, all, 1, "AA", ok,
         warning(m::packbits_inside_run)},
        {"packbits: strip ends inside a literal", Codec::packbits, "\x02xyz", {2}, 4, all, 1, "xy", ok,
         warning(m::packbits_inside_run)},
        {"packbits: bytes left over", Codec::packbits, std::string("\x00\x41\x99", 3), {1}, 3, all, 1, "A", ok,
         warning(m::packbits_extra)},
        {"packbits: inside a run wins over bytes left (one warning)", Codec::packbits, "\xFE\x41\x99", {1}, 3, all,
         1, "A", ok, warning(m::packbits_inside_run)},
        {"packbits: literal cut by the budget", Codec::packbits, "\x02xyz", {3}, 3, all, 1, "",
         error(m::packbits_too_few), ""},
        {"packbits: header needed, budget spent", Codec::packbits, std::string("\x00\x41", 2), {2}, 2, all, 1, "",
         error(m::packbits_too_few), ""},
        {"packbits: held byte missing", Codec::packbits, "\xFE", {1}, 1, all, 1, "", error(m::packbits_too_few), ""},
        {"packbits: file ends inside the strip", Codec::packbits, "\x02xy", {3}, 9, all, 1, "",
         error(m::unexpected_eof), ""},
        {"packbits: fill order 2 maps headers and data", Codec::packbits, reversed_bits(std::string("\xFE\x41\x00\x42", 4)), {4}, 4,
         all, 2, "AAAB", ok, ""},

        {"lzw: 65 66 258 260 257 in six bytes", Codec::lzw, known, {7}, 6, all, 1, "ABABABA", ok, ""},
        {"lzw: same with a leading clear code", Codec::lzw, pack_codes(std::vector<int>{256, 65, 66, 258, 260, 257}),
         {7}, 7, all, 1, "ABABABA", ok, ""},
        {"lzw: strings split across reads", Codec::lzw, known, {1, 3, 3}, 6, all, 1, "ABABABA", ok, ""},
        {"lzw: a clear code inside a read keeps what is not yet delivered", Codec::lzw, with_clear, {2, 6},
         with_clear.size(), all, 1, "ABABCDCD", ok, ""},
        {"lzw: fill order 2 reverses before codes are assembled", Codec::lzw, reversed_bits(known), {7}, 6, all, 2,
         "ABABABA", ok, ""},
        {"lzw: no end code", Codec::lzw, pack_codes(std::vector<int>{65, 66}), {2}, 3, all, 1, "AB", ok,
         warning(m::lzw_no_end)},
        {"lzw: decoded bytes left over", Codec::lzw, pack_codes(std::vector<int>{65, 258, 257}), {2}, 4, all, 1, "AA",
         ok, warning(m::lzw_extra_data)},
        {"lzw: stored bytes after the end code", Codec::lzw, pack_codes(std::vector<int>{65, 257}) + "x", {1}, 4, all,
         1, "A", ok, warning(m::lzw_extra_code)},
        {"lzw: budget spent inside a code", Codec::lzw, pack_codes(std::vector<int>{65, 66, 257}), {2}, 2, all, 1, "",
         error(m::lzw_too_few), ""},
        {"lzw: file ends inside a code", Codec::lzw, pack_codes(std::vector<int>{65, 66, 257}), {2}, 9, 2, 1, "",
         error(m::unexpected_eof), ""},
        {"lzw: file ends while the end code is peeked", Codec::lzw, pack_codes(std::vector<int>{65, 66, 257}), {2}, 9,
         3, 1, "", error(m::unexpected_eof), ""},
        {"lzw: end code while data is needed", Codec::lzw, pack_codes(std::vector<int>{65, 257}), {2}, 3, all, 1, "",
         error(m::lzw_early_end), ""},
        {"lzw: 300 after a clear code", Codec::lzw, pack_codes(std::vector<int>{256, 300}), {1}, 3, all, 1, "",
         error(m::lzw_bad_first), ""},
        {"lzw: 258 at strip start", Codec::lzw, pack_codes(std::vector<int>{258}), {1}, 2, all, 1, "",
         error(m::lzw_bad_first), ""},
        {"lzw: code above the next free code", Codec::lzw, pack_codes(std::vector<int>{65, 259}), {2}, 3, all, 1, "",
         error(m::lzw_bad_code), ""},
    };
    // Width 10 reached; the end code is accepted at 10 bits and one bit narrower.
    std::vector<int> lit = literals_until(511);
    std::string expect;
    for (std::size_t i = 1; i < lit.size(); ++i) expect.push_back(static_cast<char>(lit[i]));
    auto widths = test::with_widths(lit);
    auto full_end = widths, narrow_end = widths;
    full_end.emplace_back(257, 10);
    narrow_end.emplace_back(257, 9);
    std::string full = pack_codes(full_end), narrow = pack_codes(narrow_end);
    cases.push_back({"lzw: end code at the grown width", Codec::lzw, full, {expect.size()}, full.size(), all, 1,
                     expect, ok, ""});
    cases.push_back({"lzw: end code one bit narrower", Codec::lzw, narrow, {expect.size()}, narrow.size(), all, 1,
                     expect, ok, ""});
    cases.push_back({"lzw: table full without a clear code", Codec::lzw,
                     pack_codes(literals_until(4096)) + pack_codes(std::vector<std::pair<int, int>>{{65, 12}}),
                     {4096}, 99999, all, 1, "", error(m::lzw_table_full), ""});
    return cases;
}

TEST(StripCodec, Cases) {
    for (const CodecCase& c : codec_cases()) {
        SCOPED_TRACE(c.desc);
        Outcome out = run(c.codec, c.stored, c.reads, c.budget, c.available, c.fill_order);
        EXPECT_EQ(out.error, c.error);
        if (c.error == ok) {
            EXPECT_EQ(out.bytes, c.bytes);
        }
        EXPECT_EQ(out.printed, c.printed);
    }
}

// The longest string (3839 bytes) comes from codes that each extend the previous one.
TEST(StripCodec, LongestLzwString) {
    std::vector<int> codes{256, 'q'};
    for (int next_free = 258; next_free < 4096; ++next_free) codes.push_back(next_free);
    codes.push_back(256);
    codes.push_back('r');
    codes.push_back(257);
    std::string stored = pack_codes(codes);
    std::string expect;
    for (int len = 1; len <= 3839; ++len) expect += std::string(static_cast<std::size_t>(len), 'q');
    expect += "r";
    Outcome out = run(Codec::lzw, stored, {expect.size()}, stored.size());
    EXPECT_EQ(out.error, ok);
    EXPECT_TRUE(out.bytes == expect);
    EXPECT_EQ(out.printed, "");
}

}  // namespace
}  // namespace slicemesh
