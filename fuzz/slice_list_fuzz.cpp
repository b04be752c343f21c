// A name file from the fuzz input, over a stack folder that holds two small slices "a"
// and "b". Option bit 0: the same text as an inline list ("-" and the text) instead;
// bit 1: the 16-bit form. An accepted list names only probed slices of the folder.

#include <algorithm>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_input.h"
#include "slicein/diagnostics.h"
#include "slicein/slice_list.h"
#include "tests/support/tiff_builder.h"

namespace {

std::string stack_folder() {
    static const std::string folder = [] {
        std::string dir = slicemesh::fuzz::fuzz_dir().file("stack");
        std::filesystem::create_directory(dir);
        using slicemesh::test::TiffBuilder;
        slicemesh::test::TempDir::write_at(dir + "/a", TiffBuilder::image(3, 2, 8, {"abcdef"}).build());
        slicemesh::test::TempDir::write_at(dir + "/b", TiffBuilder::image(2, 5, 8, {"0123456789"}, true).build());
        return dir;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace slicemesh;
    fuzz::FuzzInput<1> in(data, size);
    const std::string folder = stack_folder();
    const SampleForm form = in.options[0] & 2 ? SampleForm::bits16 : SampleForm::bits8;
    std::string text(reinterpret_cast<const char*>(in.data), in.size);
    std::string name_file = in.options[0] & 1 ? "-" + text : fuzz::write_input("names.txt", in.data, in.size);
    try {
        SliceList list = read_slice_list(folder, name_file, form);
        if (list.count != static_cast<int>(list.paths.size()) || list.count == 0) fuzz::broken("slice count");
        if (list.width > 3 || list.height > 5) fuzz::broken("a size no slice has");
        for (const std::string& path : list.paths)
            if (path.compare(0, folder.size() + 1, folder + "/") != 0) fuzz::broken("a path outside the folder");
    } catch (const FatalError&) {
    }
    return 0;
}
