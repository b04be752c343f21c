// A TIFF slice from the fuzz input: the header probe, then the full read in the form
// the option byte picks (bit 0: 16-bit form), from a file or, with bit 1, from the
// bytes in memory. The probe and the full read share their first checks, so they must
// agree: the same failure text, or the same size.

#include <span>
#include <string>

#include "fuzz/fuzz_file.h"
#include "fuzz/fuzz_input.h"
#include "slicein/diagnostics.h"
#include "slicein/tiff_slice.h"

namespace {

using namespace slicemesh;

// A valid image this large costs its size in memory and time, and strips may share
// their data, so a small file can legitimately declare and fill one. Larger images are
// read in full only from inputs too small to fill them.
constexpr std::uint64_t largest_samples = std::uint64_t{1} << 22;
constexpr std::size_t small_input = 1024;

// Where the slice comes from: a file at path, or the bytes themselves named path.
struct Source {
    std::string path;
    std::span<const std::uint8_t> bytes;
    bool in_memory = false;
};

// size is the probe's result, or 0 by 0 when the probe failed.
template <typename Sample>
void full_read(const Source& source, const SliceSize& size) {
    SliceImage<Sample> image = source.in_memory ? read_tiff_bytes<Sample>(source.bytes, source.path)
                                                : read_tiff_slice<Sample>(source.path);
    if (size.width != 0 && (image.width != size.width || image.height != size.height))
        fuzz::broken("full read size differs from probe");
    if (image.samples.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        fuzz::broken("sample count is not width x height");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput<1> in(data, size);
    const bool wide = (in.options[0] & 1) != 0;
    const SampleForm form = wide ? SampleForm::bits16 : SampleForm::bits8;
    Source source{"slice.tif", {in.data, in.size}, (in.options[0] & 2) != 0};
    if (!source.in_memory) source.path = fuzz::write_input("slice.tif", in.data, in.size);

    std::string probe_error;
    SliceSize probed{0, 0};
    try {
        probed = source.in_memory ? probe_tiff_bytes(source.bytes, source.path, form)
                                  : probe_tiff_slice(source.path, form);
    } catch (const FatalError& e) {
        probe_error = e.text();
    }
    std::uint64_t samples = std::uint64_t(probed.width) * std::uint64_t(probed.height);
    if (samples > largest_samples && in.size > small_input) return 0;
    try {
        if (wide) {
            full_read<std::uint16_t>(source, probed);
        } else {
            full_read<std::uint8_t>(source, probed);
        }
    } catch (const FatalError& e) {
        if (!probe_error.empty() && e.text() != probe_error) fuzz::broken("probe and full read fail differently");
        return 0;
    }
    if (!probe_error.empty()) fuzz::broken("full read accepts what the probe rejects");
    return 0;
}
