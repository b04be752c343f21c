#include "vm/face_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/fatal_text.h"
#include "tests/support/limited_stream.h"
#include "tests/support/temp_dir.h"
#include "vm/trigon_sink.h"

namespace slicemesh {
namespace {

using test::fatal_text;
using test::read_file;
using test::TempDir;

std::string bytes_of(const std::vector<TrigonRecord>& records) {
    std::string s;
    for (const TrigonRecord& r : records) s.append(reinterpret_cast<const char*>(r.data()), r.size());
    return s;
}

// Sends the same trigons to both sinks: per direction i, i trigons in plane 10 + i.
void feed(auto& sink, int direction) {
    sink.set_plane(10 + direction);
    for (int k = 0; k < direction; ++k) sink(k, k + 1, k + 2, 40000, 0, 65535, 0x10203 * (k + 1));
}

TEST(FaceFileSet, FileSetHoldsTheSameTrigonsAsMemory) {
    TempDir dir;
    std::string base = dir.file("obj");
    std::array<TrigonList, 6> in_memory, through_files;
    std::array<FaceStream, 6> streams;
    MemoryTrigonSink memory;
    FileTrigonSink files;
    for (Direction d : all_directions) {
        std::size_t i = static_cast<std::size_t>(index_of(d));
        memory.start_direction(in_memory[i]);
        feed(memory, index_of(d));
        streams[i] = open_face_file(base, d);
        files.start_direction(through_files[i], streams[i].get());
        feed(files, index_of(d));
        EXPECT_TRUE(through_files[i].records.empty());  // only counted while writing
    }
    files.finish();
    for (Direction d : all_directions) {
        std::size_t i = static_cast<std::size_t>(index_of(d));
        SCOPED_TRACE(suffix(d));
        read_face_file(std::move(streams[i]), through_files[i]);
        EXPECT_EQ(through_files[i].count, i);
        EXPECT_EQ(through_files[i].records, in_memory[i].records);
        // All six files exist, the empty mx one included, each 18 bytes per trigon.
        std::string name = base + "." + std::string(suffix(d)) + "_m";
        EXPECT_EQ(read_file(name), bytes_of(in_memory[i].records));
    }
}

TEST(FaceFileSet, ExistingFilesAreTruncated) {
    TempDir dir;
    std::string name = dir.write("obj.pz_m", std::string(100, 'x'));
    { FaceStream s = open_face_file(dir.file("obj"), Direction::pz); }
    EXPECT_EQ(std::filesystem::file_size(name), 0u);
}

TEST(FaceFileSet, RefusedNamesSayVmFileNotOpen) {
    TempDir dir;
    struct Case {
        const char* desc;
        std::string base;
    };
    const Case cases[] = {
        {"missing directory", dir.file("no/such/dir/obj")},
        {"component too long for the file system", dir.file(std::string(300, 'n'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desc);
        EXPECT_EQ(fatal_text([&] { open_face_file(c.base, Direction::my); }), c.base + ".my_m : VM file not open.\n");
    }
}

TEST(FaceFileSet, LongBaseNamesWork) {
    TempDir dir;
    std::string base = (test::long_directory(dir) / "obj").string();
    FaceStream s = open_face_file(base, Direction::mx);
    EXPECT_TRUE(std::filesystem::exists(base + ".mx_m"));
}

TEST(FaceFileSet, ReadBackErrors) {
    TempDir dir;
    {
        SCOPED_TRACE("fewer records than counted");
        FaceStream s = open_face_file(dir.file("obj"), Direction::mx);
        TrigonRecord r = make_trigon(1, 2, 3, 4, 5, 6, 7, 8);
        std::fwrite(r.data(), 1, r.size(), s.get());
        TrigonList list;
        list.count = 2;
        EXPECT_EQ(fatal_text([&] { read_face_file(std::move(s), list); }), "trigon data read error.\n");
    }
    {
        SCOPED_TRACE("stream that cannot be positioned");
        // A cookie stream without a seek function refuses every move.
        FaceStream s(fopencookie(nullptr, "r", cookie_io_functions_t{}));
        TrigonList list;
        list.count = 1;
        EXPECT_EQ(fatal_text([&] { read_face_file(std::move(s), list); }), "trigon data read error.\n");
    }
    {
        SCOPED_TRACE("no trigons");
        FaceStream s = open_face_file(dir.file("empty"), Direction::px);
        TrigonList list;
        read_face_file(std::move(s), list);
        EXPECT_TRUE(list.records.empty());
    }
}

TEST(FileTrigonSink, FailedWriteIsReported) {
    test::LimitedStream disk(18 * 3 + 5);
    TrigonList list;
    FileTrigonSink sink;
    sink.start_direction(list, disk.stream());
    for (int k = 0; k < 5; ++k) sink(0, 0, 1, 0, 0, 1, 0);
    EXPECT_EQ(fatal_text([&] { sink.finish(); }), "trigon data write error.\n");
}

}  // namespace
}  // namespace slicemesh
