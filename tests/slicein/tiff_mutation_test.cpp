// Three loops over valid generated slices: cut at every length (each cut either fails with
// "unexpected end of file." or removes only bytes the reader never needs), flip every bit
// (any outcome but a crash, which the sanitizer build would catch), and flip every byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "slicein/tiff_slice.h"
#include "tests/support/fatal_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_writer.h"

namespace slicemesh {
namespace {

struct Fixture {
    const char* desc;
    test::TiffOptions options;
};

std::vector<Fixture> fixtures() {
    std::vector<Fixture> out(3);
    out[0].desc = "LZW, 8 bits, predictor 2, three rows per strip";
    out[0].options.compression = 5;
    out[0].options.predictor = 2;
    out[0].options.rows_per_strip = 3;
    out[1].desc = "PackBits, 4 bits, fill order 2";
    out[1].options.compression = 32773;
    out[1].options.bits_per_sample = 4;
    out[1].options.fill_order = 2;
    out[1].options.rows_per_strip = 2;
    out[2].desc = "none, 16 bits, big-endian";
    out[2].options.bits_per_sample = 16;
    out[2].options.big_endian = true;
    out[2].options.rows_per_strip = 4;
    return out;
}

constexpr int width = 13, height = 7;

std::vector<std::uint16_t> samples_for(int bits) {
    std::vector<std::uint16_t> s(width * height);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint16_t>((i / 3 * 37) & ((1u << bits) - 1));
    return s;
}

// The reading of both forms and the probe, as texts: "ok" or the error after "PATH : ".
std::string outcome(const std::string& path, const std::vector<std::uint16_t>& expect) {
    std::string result;
    auto text = [&](const std::string& err) {
        if (err == "<no error>") return std::string("ok");
        return err.substr(path.size() + 3, err.size() - path.size() - 4);
    };
    result += text(test::fatal_text([&] { probe_tiff_slice(path, SampleForm::bits16); }));
    SliceImage16 image;
    std::string read = text(test::fatal_text([&] { image = read_tiff_slice16(path); }));
    if (read == "ok" && image.samples != expect) read = "ok with other samples";
    result += " / " + read;
    return result;
}

TEST(TiffMutation, TruncatedAtEveryLength) {
    test::TempDir dir;
    for (const Fixture& f : fixtures()) {
        SCOPED_TRACE(f.desc);
        auto samples = samples_for(f.options.bits_per_sample);
        std::string path = dir.file("whole.tif");
        test::write_tiff(path, width, height, samples, f.options);
        std::string whole = test::read_file(path);
        ASSERT_EQ(outcome(path, samples), "ok / ok");
        std::size_t successes = 0;
        testing::internal::CaptureStderr();
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE("length " + std::to_string(length));
            std::string cut = dir.write("cut.tif", whole.substr(0, length));
            std::string o = outcome(cut, samples);
            if (o == "ok / ok") {
                ++successes;
            } else {
                EXPECT_TRUE(o == "unexpected end of file. / unexpected end of file." ||
                            o == "ok / unexpected end of file.")
                    << o;
            }
        }
        testing::internal::GetCapturedStderr();
        // Only the trailing offset of a next IFD, which is never read, may go.
        EXPECT_LE(successes, 4u);
    }
}

TEST(TiffMutation, EveryBitAndByteFlipped) {
    test::TempDir dir;
    for (const Fixture& f : fixtures()) {
        SCOPED_TRACE(f.desc);
        std::string path = dir.file("whole.tif");
        test::write_tiff(path, width, height, samples_for(f.options.bits_per_sample), f.options);
        const std::string whole = test::read_file(path);
        std::vector<std::string> variants;
        for (std::size_t at = 0; at < whole.size(); ++at) {
            for (int bit = 0; bit < 8; ++bit) {
                variants.push_back(whole);
                variants.back()[at] = static_cast<char>(variants.back()[at] ^ (1 << bit));
            }
            variants.push_back(whole);
            variants.back()[at] = static_cast<char>(~variants.back()[at]);
        }
        testing::internal::CaptureStderr();
        for (const std::string& v : variants) {
            std::string flipped = dir.write("flipped.tif", v);
            // Any message is fine; what matters is that every outcome is an orderly one.
            test::fatal_text([&] { probe_tiff_slice(flipped, SampleForm::bits8); });
            test::fatal_text([&] { read_tiff_slice8(flipped); });
            test::fatal_text([&] { read_tiff_slice16(flipped); });
        }
        testing::internal::GetCapturedStderr();
    }
}

}  // namespace
}  // namespace slicemesh
