// Hand-made TIFF files for each check of the slice reader: exact texts, the first failing
// check in the reader's order, tag rules (first entry wins, SHORT/LONG only, single
// values, defaults), sample layouts, and hostile headers.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "slicein/slice_messages.h"
#include "slicein/tiff_slice.h"
#include "tests/support/fatal_text.h"
#include "tests/support/lzw_codes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_builder.h"

namespace slicemesh {
namespace {

namespace m = slice_message;
using test::TiffBuilder;
using test::TiffEntry;
namespace type = test::tiff_type;

const std::string ok = "<no error>";

// What the reader says about a file: the error text after "PATH : ", or "ok".
struct Reading {
    std::string probe8, probe16, read8, read16;
    SliceImage8 image8;
    SliceImage16 image16;
    std::string printed;  // stderr of both full reads
};

std::string message(const std::string& text, const std::string& path) {
    if (text == ok) return "ok";
    std::string head = path + " : ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    return text.substr(head.size(), text.size() - head.size() - 1);
}

Reading read_all(const std::string& bytes) {
    test::TempDir dir;
    std::string path = dir.write("s.tif", bytes);
    Reading r;
    r.probe8 = message(test::fatal_text([&] { probe_tiff_slice(path, SampleForm::bits8); }), path);
    r.probe16 = message(test::fatal_text([&] { probe_tiff_slice(path, SampleForm::bits16); }), path);
    testing::internal::CaptureStderr();
    r.read8 = message(test::fatal_text([&] { r.image8 = read_tiff_slice8(path); }), path);
    r.read16 = message(test::fatal_text([&] { r.image16 = read_tiff_slice16(path); }), path);
    r.printed = testing::internal::GetCapturedStderr();
    return r;
}

std::string s(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) out.push_back(static_cast<char>(b));
    return out;
}

// An 8-bit image of 3 x 2 in one uncompressed strip.
TiffBuilder small(bool big_endian = false) { return TiffBuilder::image(3, 2, 8, {"abcdef"}, big_endian); }

struct ErrorCase {
    const char* desc;
    std::string bytes;
    std::string probe;  // both forms: message or "ok"
    std::string read;   // both forms
};

std::vector<ErrorCase> error_cases() {
    const std::uint32_t top = 0x80000000u;
    return {
        {"empty file", "", m::unexpected_eof.data(), m::unexpected_eof.data()},
        {"one byte", "I", m::unexpected_eof.data(), m::unexpected_eof.data()},
        {"II with 42 big-endian", s({'I', 'I', 0, 42, 8, 0, 0, 0}), m::bad_magic.data(), m::bad_magic.data()},
        {"IM", small().magic("IM*\0").build(), m::bad_magic.data(), m::bad_magic.data()},
        {"IM is refused before the number is read", "IM", m::bad_magic.data(), m::bad_magic.data()},
        {"other first byte", "XX*\0", m::bad_magic.data(), m::bad_magic.data()},
        {"43 instead of 42", s({'I', 'I', 43, 0, 8, 0, 0, 0}), m::bad_magic.data(), m::bad_magic.data()},
        {"header without IFD offset", s({'M', 'M', 0, 42, 0}), m::unexpected_eof.data(), m::unexpected_eof.data()},
        {"IFD offset beyond the file", s({'I', 'I', 42, 0, 99, 0, 0, 0}), m::unexpected_eof.data(),
         m::unexpected_eof.data()},
        {"IFD entry count 0", s({'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0}), m::missing_size.data(), m::missing_size.data()},
        {"width absent", small().remove(256).build(), m::missing_size.data(), m::missing_size.data()},
        {"height 0", small().set(257, type::short_, {0}).build(), m::missing_size.data(), m::missing_size.data()},
        {"width as ASCII counts as absent", small().set(256, type::ascii, {3}).build(), m::missing_size.data(),
         m::missing_size.data()},
        {"width with count 2 counts as absent", small().set(256, type::short_, {3, 3}).build(),
         m::missing_size.data(), m::missing_size.data()},
        {"width 2^31 and height 0: height checked first",
         small().set(256, type::long_, {top}).set(257, type::long_, {0}).build(), m::missing_size.data(),
         m::missing_size.data()},
        {"width 2^31", small().set(256, type::long_, {top}).build(), m::too_large_size.data(),
         m::too_large_size.data()},
        {"height 2^32 - 1", small().set(257, type::long_, {0xFFFFFFFFu}).build(), m::too_large_size.data(),
         m::too_large_size.data()},
        {"bits 0", small().set(258, type::short_, {0}).build(), m::bad_bits.data(), m::bad_bits.data()},
        {"bits 17", small().set(258, type::short_, {17}).build(), m::bad_bits.data(), m::bad_bits.data()},
        {"bits checked after size", small().remove(256).set(258, type::short_, {0}).build(), m::missing_size.data(),
         m::missing_size.data()},
        {"compression 7", small().set(259, type::short_, {7}).build(), "ok", m::bad_compression.data()},
        {"photometric absent", small().remove(262).build(), "ok", m::bad_photometric.data()},
        {"photometric 2 (RGB)", small().set(262, type::short_, {2}).build(), "ok", m::bad_photometric.data()},
        {"fill order 0", small().set(266, type::short_, {0}).build(), "ok", m::bad_fill_order.data()},
        {"samples per pixel 3", small().set(277, type::short_, {3}).build(), "ok", m::bad_samples_per_pixel.data()},
        {"rows per strip 0", small().set(278, type::long_, {0}).build(), "ok", m::bad_rows_per_strip.data()},
        {"planar configuration 2", small().set(284, type::short_, {2}).build(), "ok", m::bad_planar.data()},
        {"predictor 3", small().set(317, type::short_, {3}).build(), "ok", m::bad_predictor.data()},
        {"strip offsets absent", small().manual_strips().set(279, type::long_, {6}).build(), "ok",
         "missing strip offset."},
        {"strip offsets of type BYTE", small().manual_strips().set(273, type::byte, {8}).set(279, type::long_, {6}).build(),
         "ok", "missing strip offset."},
        {"two strip offsets for three strips",
         TiffBuilder::image(1, 5, 8, {"ab", "cd", "e"}).set(278, type::short_, {2}).set(273, type::long_, {8, 10}).build(),
         "ok", "bad number of strip offset."},
        {"strip byte counts absent", small().manual_strips().set(273, type::long_, {8}).build(), "ok",
         "missing strip bytes count."},
        {"strip byte counts with count 2", small().manual_strips().set(273, type::long_, {8}).set(279, type::long_, {3, 3}).build(),
         "ok", "bad number of strip bytes count."},
        {"offsets checked before byte counts",
         small().manual_strips().set(273, type::short_, {8, 8}).set(279, type::ascii, {6}).build(), "ok",
         "bad number of strip offset."},
        {"offset table beyond the file",
         TiffBuilder::image(1, 3, 8, {"abc"}).set(278, type::short_, {1})
             .set(TiffEntry{273, type::long_, {}, 3, 5000}).set(279, type::short_, {1, 1, 1}).build(),
         "ok", m::unexpected_eof.data()},
        {"strip beyond the file", small().manual_strips().set(273, type::long_, {9000}).set(279, type::long_, {6}).build(),
         "ok", m::unexpected_eof.data()},
        {"strip with too small a byte count", small().manual_strips().set(273, type::long_, {8}).set(279, type::long_, {5}).build(),
         "ok", m::none_too_few.data()},
    };
}

TEST(TiffHandMade, Errors) {
    for (const ErrorCase& c : error_cases()) {
        SCOPED_TRACE(c.desc);
        Reading r = read_all(c.bytes);
        EXPECT_EQ(r.probe8, c.probe);
        EXPECT_EQ(r.probe16, c.probe);
        EXPECT_EQ(r.read8, c.read);
        EXPECT_EQ(r.read16, c.read);
    }
}

// With every full-read tag wrong, the messages come one by one in the reader's order.
TEST(TiffHandMade, FirstFailingCheckIsReported) {
    struct Fix {
        std::uint16_t tag;
        std::uint32_t bad, good;
        std::string_view message;
    };
    const std::vector<Fix> order = {
        {259, 2, 1, m::bad_compression},      {262, 2, 1, m::bad_photometric}, {266, 3, 1, m::bad_fill_order},
        {277, 2, 1, m::bad_samples_per_pixel}, {278, 0, 2, m::bad_rows_per_strip}, {284, 2, 1, m::bad_planar},
        {317, 3, 1, m::bad_predictor}};
    TiffBuilder b = small();
    // Entries in reverse lookup order, so file order cannot be what decides.
    for (auto it = order.rbegin(); it != order.rend(); ++it) b.set(it->tag, type::short_, {it->bad});
    for (const Fix& f : order) {
        SCOPED_TRACE(f.message);
        EXPECT_EQ(read_all(b.build()).read8, f.message);
        b.set(f.tag, type::short_, {f.good});
    }
    EXPECT_EQ(read_all(b.build()).read8, "ok");
}

TEST(TiffHandMade, TagRules) {
    // The first entry of a tag wins, even when it is of a type that counts as absent.
    TiffBuilder first = small();
    first.add(TiffEntry{256, type::long_, {5}, {}, {}});
    Reading r = read_all(first.build());
    EXPECT_EQ(r.read8, "ok");
    EXPECT_EQ(r.image8.width, 3);
    TiffBuilder ascii_first = small().remove(256);
    ascii_first.add(TiffEntry{256, type::ascii, {3}, {}, {}}).add(TiffEntry{256, type::short_, {3}, {}, {}});
    EXPECT_EQ(read_all(ascii_first.build()).probe8, m::missing_size);

    // BitsPerSample as LONG, or with count 3, reads as 1 bit: one byte per row of 3.
    for (TiffBuilder b : {TiffBuilder::image(3, 2, 8, {s({0xA0, 0x40})}).set(258, type::long_, {8}),
                          TiffBuilder::image(3, 2, 8, {s({0xA0, 0x40})}).set(258, type::short_, {8, 8, 8})}) {
        Reading one = read_all(b.build());
        EXPECT_EQ(one.read8, "ok");
        EXPECT_EQ(one.image8.samples, (std::vector<std::uint8_t>{1, 0, 1, 0, 1, 0}));
    }
    // Compression as LONG counts as absent: none.
    EXPECT_EQ(read_all(small().set(259, type::long_, {5}).build()).read8, "ok");
    // Photometric 0, 3 and 4 only pass the check: samples are as stored.
    for (std::uint32_t p : {0u, 3u, 4u}) {
        Reading rp = read_all(small().set(262, type::short_, {p}).build());
        EXPECT_EQ(rp.read8, "ok");
        EXPECT_EQ(rp.image8.samples, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    }
}

TEST(TiffHandMade, BitsAndForms) {
    TiffBuilder b16 = TiffBuilder::image(2, 1, 16, {s({0x12, 0x34, 0xAB, 0xCD})});
    Reading little = read_all(b16.build());
    EXPECT_EQ(little.probe8, m::bad_bits);
    EXPECT_EQ(little.read8, m::bad_bits);
    EXPECT_EQ(little.probe16, "ok");
    EXPECT_EQ(little.image16.samples, (std::vector<std::uint16_t>{0x3412, 0xCDAB}));
    Reading big = read_all(TiffBuilder::image(2, 1, 16, {s({0x12, 0x34, 0xAB, 0xCD})}, true).build());
    EXPECT_EQ(big.image16.samples, (std::vector<std::uint16_t>{0x1234, 0xABCD}));

    // 12 bits: the bit stream ignores the byte order.
    for (bool be : {false, true}) {
        Reading r12 = read_all(TiffBuilder::image(2, 1, 12, {s({0xAB, 0xCD, 0xEF})}, be).build());
        EXPECT_EQ(r12.read8, m::bad_bits);
        EXPECT_EQ(r12.image16.samples, (std::vector<std::uint16_t>{0xABC, 0xDEF}));
    }
    // 1 bit, 10 wide: two bytes per row, the low six bits of the second ignored.
    Reading r1 = read_all(TiffBuilder::image(10, 2, 1, {s({0x81, 0x7F, 0x00, 0xC0})}).build());
    EXPECT_EQ(r1.image8.samples,
              (std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}));
    // 8-bit data in the 16-bit form is widened.
    Reading r8 = read_all(small().build());
    EXPECT_EQ(r8.image16.samples, (std::vector<std::uint16_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    // 5 bits straddle bytes: 10101 01010 11111 then padding.
    Reading r5 = read_all(TiffBuilder::image(3, 1, 5, {s({0xAA, 0xBF})}).build());
    EXPECT_EQ(r5.image8.samples, (std::vector<std::uint8_t>{21, 10, 31}));
}

TEST(TiffHandMade, PredictorAndFillOrder) {
    // 4 bits, stored 15, 1, 1: additions modulo 16 give 15, 0, 1.
    Reading r4 = read_all(TiffBuilder::image(3, 1, 4, {s({0xF1, 0x10})}).set(317, type::short_, {2}).build());
    EXPECT_EQ(r4.image8.samples, (std::vector<std::uint8_t>{15, 0, 1}));
    // 16 bits wrap at 65536, row by row.
    Reading r16 = read_all(TiffBuilder::image(2, 2, 16, {s({0xFF, 0xFF, 0x02, 0x00, 0x05, 0x00, 0x01, 0x00})})
                               .set(317, type::short_, {2})
                               .build());
    EXPECT_EQ(r16.image16.samples, (std::vector<std::uint16_t>{0xFFFF, 1, 5, 6}));
    // Fill order 2 reverses every stored byte.
    Reading rf = read_all(TiffBuilder::image(2, 1, 8, {s({0x01, 0x03})}).set(266, type::short_, {2}).build());
    EXPECT_EQ(rf.image8.samples, (std::vector<std::uint8_t>{0x80, 0xC0}));
}

TEST(TiffHandMade, Strips) {
    // Height 5, two rows per strip: three strips; offsets and counts as SHORT at an offset.
    TiffBuilder five = TiffBuilder::image(1, 5, 8, {"ab", "cd", "e"}).set(278, type::short_, {2});
    five.manual_strips()
        .set(273, type::short_, {five.strip_offset(0), five.strip_offset(1), five.strip_offset(2)})
        .set(279, type::short_, {2, 2, 1});
    Reading r5 = read_all(five.build());
    EXPECT_EQ(r5.read8, "ok");
    EXPECT_EQ(r5.image8.samples, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e'}));
    // Height 4: the two SHORT offsets sit in the entry itself.
    TiffBuilder four = TiffBuilder::image(1, 4, 8, {"ab", "cd"}, true).set(278, type::short_, {2});
    four.manual_strips().set(273, type::short_, {four.strip_offset(0), four.strip_offset(1)}).set(279, type::short_, {2, 2});
    EXPECT_EQ(read_all(four.build()).image8.samples, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
    // Rows per strip absent or 2^32 - 1: one strip.
    EXPECT_EQ(read_all(small().set(278, type::long_, {0xFFFFFFFFu}).build()).read8, "ok");
    // Strips may share their bytes; byte counts only bound what is read.
    TiffBuilder shared = TiffBuilder::image(2, 2, 8, {"xy"}).set(278, type::short_, {1});
    shared.manual_strips().set(273, type::long_, {8, 8}).set(279, type::long_, {2, 2});
    EXPECT_EQ(read_all(shared.build()).image8.samples, (std::vector<std::uint8_t>{'x', 'y', 'x', 'y'}));
}

TEST(TiffHandMade, OneWarningPerStrip) {
    // Two strips each with one byte too many: one warning for each, naming the slice.
    TiffBuilder b = TiffBuilder::image(2, 2, 8, {"ab!", "cd!"}).set(278, type::short_, {1});
    Reading r = read_all(b.build());
    EXPECT_EQ(r.read8, "ok");
    EXPECT_EQ(r.image8.samples, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
    std::string path_end = "s.tif : too many codes (warning).\n";
    std::size_t count = 0;
    for (std::size_t at = 0; (at = r.printed.find(path_end, at)) != std::string::npos; at += path_end.size()) ++count;
    EXPECT_EQ(count, 4u);  // two strips, both forms
    // A PackBits run may cross rows.
    Reading run = read_all(TiffBuilder::image(2, 2, 8, {s({0xFD, 'z'})}).set(259, type::short_, {32773}).build());
    EXPECT_EQ(run.image8.samples, (std::vector<std::uint8_t>{'z', 'z', 'z', 'z'}));
    EXPECT_EQ(run.printed, "");
}

// A truncated IFD is noticed only by a lookup that reaches the cut.
TEST(TiffHandMade, TruncatedIfd) {
    std::string bytes = small().set(317, type::short_, {1}).build();
    // The IFD is last: width, height, bits, photometric, predictor, offsets, counts, then
    // 4 bytes of next-IFD offset. Cut inside the offsets entry.
    std::size_t ifd = bytes.size() - 4 - 7 * 12 - 2;
    std::string cut = bytes.substr(0, ifd + 2 + 5 * 12 + 6);
    Reading r = read_all(cut);
    EXPECT_EQ(r.probe8, "ok");
    EXPECT_EQ(r.read8, m::unexpected_eof);  // compression is absent: its lookup walks to the cut
}

long peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Small files that declare huge images or strip tables end with their real defect, and
// without touching memory for what they only declare.
TEST(TiffHandMade, HostileHeaders) {
    const std::uint32_t huge = 0x7FFFFFFFu;
    struct Hostile {
        const char* desc;
        std::string bytes;
        std::string read;
        std::string read16 = "";  // when it differs from read
    };
    std::vector<Hostile> cases = {
        {"huge uncompressed image, ten bytes of data",
         TiffBuilder::image(huge, huge, 8, {"0123456789"}).manual_strips().set(273, type::long_, {8})
             .set(279, type::long_, {0xFFFFFFFFu}).build(),
         m::unexpected_eof.data()},
        {"huge image, byte count as stored", TiffBuilder::image(huge, huge, 8, {"0123456789"}).build(),
         m::none_too_few.data()},
        {"huge LZW image, a few codes", TiffBuilder::image(huge, 4, 8, {test::pack_codes(std::vector<int>{256, 65, 66, 258, 259})})
                                            .set(259, type::short_, {5}).build(),
         m::lzw_too_few.data()},
        {"huge PackBits repeats", TiffBuilder::image(huge, huge, 8, {s({0x81, 1, 0x81, 2})})
                                      .set(259, type::short_, {32773}).build(),
         m::packbits_too_few.data()},
        {"2^31 - 1 strips, table beyond the file",
         TiffBuilder::image(1, huge, 8, {"a"}).set(278, type::short_, {1}).manual_strips()
             .set(TiffEntry{273, type::long_, {}, huge, 64}).set(TiffEntry{279, type::long_, {}, huge, 64}).build(),
         m::unexpected_eof.data()},
        {"16-bit huge rows", TiffBuilder::image(huge, 2, 16, {"ab"}).build(), m::bad_bits.data(),
         m::none_too_few.data()},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.desc);
        Reading r = read_all(c.bytes);
        EXPECT_EQ(r.read8, c.read);
        EXPECT_EQ(r.read16, c.read16.empty() ? c.read : c.read16);
    }
    EXPECT_LT(peak_rss_kib(), 1024 * 1024) << "a hostile header made the reader touch a gigabyte";
}

// The in-memory reads (used by the fuzz targets) agree with the file reads.
TEST(TiffHandMade, BytesInMemoryReadLikeFiles) {
    std::string bytes = TiffBuilder::image(3, 2, 4, {s({0x12, 0x30, 0x45, 0x60})}).build();
    std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    Reading file = read_all(bytes);
    SliceImage8 image = read_tiff_bytes<std::uint8_t>(view, "m.tif");
    EXPECT_EQ(image.samples, file.image8.samples);
    EXPECT_EQ(read_tiff_bytes<std::uint16_t>(view, "m.tif").samples, file.image16.samples);
    EXPECT_EQ(probe_tiff_bytes(view, "m.tif", SampleForm::bits8).width, 3);
    EXPECT_EQ(test::fatal_text([&] { read_tiff_bytes<std::uint8_t>(view.first(20), "m.tif"); }),
              "m.tif : unexpected end of file.\n");
}

}  // namespace
}  // namespace slicemesh
