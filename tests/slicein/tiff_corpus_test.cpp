// Every file of the shared TIFF corpus (written by other software) must give, in both
// reader forms, the probe and full-read outcome and the strip warnings its manifest row
// records.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "slicein/tiff_slice.h"
#include "tests/support/fatal_text.h"
#include "tests/support/sha256.h"

namespace slicemesh {
namespace {

const std::string corpus_dir = std::string(SLICEMESH_SHARED_DIR) + "/corpus/tiff/";

struct ManifestRow {
    std::string file;
    std::string probe8, read8, probe16, read16, warnings;
};

std::vector<std::string> split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(by, at)) != std::string::npos; at = next + by.size())
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

std::vector<ManifestRow> manifest() {
    std::vector<ManifestRow> rows;
    std::ifstream in(corpus_dir + "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f = split(line, "\t");
        if (f.size() < 7) continue;
        rows.push_back({f[0], f[2], f[3], f[4], f[5], f[6]});
    }
    return rows;
}

// What follows "PATH : " in the error text, without the line feed.
std::string message_of(const std::string& text, const std::string& path) {
    std::string head = path + " : ";
    if (text.rfind(head, 0) != 0 || text.empty() || text.back() != '\n') return "<malformed> " + text;
    return text.substr(head.size(), text.size() - head.size() - 1);
}

std::string probe_outcome(const std::string& path, SampleForm form) {
    SliceSize size;
    std::string err = test::fatal_text([&] { size = probe_tiff_slice(path, form); });
    if (err != "<no error>") return "error " + message_of(err, path);
    return "ok " + std::to_string(size.width) + " " + std::to_string(size.height);
}

// The full read's outcome in the manifest's words, and the warning texts it printed.
template <typename Sample>
std::string read_outcome(const std::string& path, int bits, std::vector<std::string>& warnings) {
    SliceImage<Sample> image;
    testing::internal::CaptureStderr();
    std::string err = test::fatal_text([&] { image = read_tiff_slice<Sample>(path); });
    std::string printed = testing::internal::GetCapturedStderr();
    const std::string tail = " (warning).";
    for (const std::string& line : split(printed, "\n")) {
        if (line.empty()) continue;
        std::string text = message_of(line + "\n", path);
        if (text.ends_with(tail)) text.resize(text.size() - tail.size());
        warnings.push_back(text);
    }
    if (err != "<no error>") return "error " + message_of(err, path);
    std::string bytes;
    for (Sample s : image.samples) {
        bytes.push_back(static_cast<char>(s & 0xFF));
        if (sizeof(Sample) == 2) bytes.push_back(static_cast<char>(s >> 8));
    }
    EXPECT_EQ(image.samples.size(), static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    return "ok " + std::to_string(image.width) + " " + std::to_string(image.height) + " " + std::to_string(bits) + " " +
           test::sha256_hex(bytes);
}

// The bits column of an "ok" read, which the reader does not report.
int bits_of(const std::string& outcome) {
    std::vector<std::string> f = split(outcome, " ");
    return f.size() == 5 && f[0] == "ok" ? std::stoi(f[3]) : 0;
}

// Warning texts expected from one successful read: "strip N: TEXT; ..." without the strips.
std::vector<std::string> expected_warnings(const ManifestRow& row) {
    std::vector<std::string> texts;
    if (row.warnings == "-") return texts;
    for (const std::string& item : split(row.warnings, "; ")) {
        std::size_t colon = item.find(": ");
        texts.push_back(colon == std::string::npos ? item : item.substr(colon + 2));
    }
    return texts;
}

void PrintTo(const ManifestRow& row, std::ostream* os) { *os << row.file; }

class TiffCorpus : public testing::TestWithParam<ManifestRow> {};

TEST_P(TiffCorpus, MatchesManifest) {
    const ManifestRow& row = GetParam();
    const std::string path = corpus_dir + row.file;
    EXPECT_EQ(probe_outcome(path, SampleForm::bits8), row.probe8);
    EXPECT_EQ(probe_outcome(path, SampleForm::bits16), row.probe16);

    std::vector<std::string> warnings8, warnings16;
    EXPECT_EQ(read_outcome<std::uint8_t>(path, bits_of(row.read8), warnings8), row.read8);
    EXPECT_EQ(read_outcome<std::uint16_t>(path, bits_of(row.read16), warnings16), row.read16);
    std::vector<std::string> none;
    EXPECT_EQ(warnings8, row.read8.starts_with("ok") ? expected_warnings(row) : none) << "8-bit form";
    EXPECT_EQ(warnings16, row.read16.starts_with("ok") ? expected_warnings(row) : none) << "16-bit form";
}

std::string row_name(const testing::TestParamInfo<ManifestRow>& info) {
    std::string name;
    for (char c : info.param.file) name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Manifest, TiffCorpus, testing::ValuesIn(manifest()), row_name);

TEST(TiffCorpusManifest, HasEveryFile) { EXPECT_EQ(manifest().size(), 111u); }

}  // namespace
}  // namespace slicemesh
