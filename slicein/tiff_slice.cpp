#include "slicein/tiff_slice.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "slicein/sample_unpack.h"
#include "slicein/slice_file.h"
#include "slicein/slice_messages.h"
#include "slicein/strip_lzw.h"
#include "slicein/strip_none.h"
#include "slicein/strip_packbits.h"
#include "slicein/tiff_ifd.h"

namespace slicemesh {

namespace {

constexpr int compression_none = 1;
constexpr int compression_lzw = 5;
constexpr int compression_packbits = 32773;

int max_bits(SampleForm form) { return form == SampleForm::bits16 ? 16 : 8; }

struct SliceHeader {
    int width = 0;
    int height = 0;
    int bits = 0;
};

// Steps shared by the probe and the full read: magic number, size, bits per sample.
SliceHeader read_header(Ifd& ifd, SliceFile& file, SampleForm form) {
    SliceHeader h;
    std::uint32_t width = ifd.single_value(tiff_tag::image_width, true, 0);
    if (width == 0) file.fail(slice_message::missing_size);
    std::uint32_t height = ifd.single_value(tiff_tag::image_length, true, 0);
    if (height == 0) file.fail(slice_message::missing_size);
    if ((width | height) & 0x80000000u) file.fail(slice_message::too_large_size);
    std::uint32_t bits = ifd.single_value(tiff_tag::bits_per_sample, false, 1);
    if (bits < 1 || bits > static_cast<std::uint32_t>(max_bits(form))) file.fail(slice_message::bad_bits);
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);
    h.bits = static_cast<int>(bits);
    return h;
}

// The decoded samples grow as strips deliver them, so a header that declares a huge image
// costs memory only for the data the file really holds.
template <typename Sample>
class SampleStore {
public:
    SampleStore(std::vector<Sample>& samples, std::uint64_t total, std::uint64_t first_size, const SliceFile& file)
        : samples_(samples), total_(total), first_size_(std::min(total, first_size)), file_(file) {}

    // Appends count decoded samples. Appending rather than resizing spares the
    // zero-filling of memory that is written right after.
    void append(const Sample* samples, std::size_t count) {
        if (count > samples_.capacity() - samples_.size()) reserve_more(count);
        samples_.insert(samples_.end(), samples, samples + count);
    }
    Sample* at(std::size_t index) { return samples_.data() + index; }

private:
    void reserve_more(std::size_t count) {
        std::uint64_t size =
            std::max<std::uint64_t>({samples_.size() + count, 2 * std::uint64_t{samples_.capacity()}, first_size_});
        try {
            samples_.reserve(static_cast<std::size_t>(std::min(size, total_)));
        } catch (const std::bad_alloc&) {
            file_.fail(slice_message::no_cell_memory);
        } catch (const std::length_error&) {
            file_.fail(slice_message::no_cell_memory);
        }
    }

    std::vector<Sample>& samples_;  // the samples decoded so far, never more than total_
    std::uint64_t total_;       // width x height
    std::uint64_t first_size_;  // the first allocation, at most total_
    const SliceFile& file_;
};

struct StripLayout {
    int bits = 0;
    bool big_endian = false;
    int fill_order = 1;
    bool differencing = false;
    std::uint64_t rows_per_strip = 0;
    StripTable offsets;
    StripTable byte_counts;
};

// Chunks of this many samples keep every chunk but a row's last on a byte boundary.
constexpr std::size_t chunk_samples = 16384;

template <typename Sample, typename Codec>
void read_strips(SliceFile& file, const StripLayout& layout, SliceImage<Sample>& image, SampleStore<Sample>& store) {
    Codec codec(file.path());
    std::array<Sample, chunk_samples> unpacked;
    const std::size_t width = static_cast<std::size_t>(image.width);
    const std::uint64_t height = static_cast<std::uint64_t>(image.height);
    const std::uint64_t rps = layout.rows_per_strip;
    for (std::uint64_t r = 0; r < height; ++r) {
        if (r % rps == 0) {
            std::uint64_t strip = r / rps;
            std::span<const std::uint8_t> data = file.tail(layout.offsets[strip]);
            codec.start(StoredBytes::over(data.data(), data.size(), layout.byte_counts[strip], layout.fill_order));
        }
        for (std::size_t done = 0; done < width;) {
            std::size_t n = std::min(chunk_samples, width - done);
            const std::uint8_t* bytes = codec.take((n * static_cast<std::size_t>(layout.bits) + 7) / 8);
            if constexpr (sizeof(Sample) == 1) {
                if (layout.bits == 8) {
                    store.append(bytes, n);
                    done += n;
                    continue;
                }
            }
            unpack_samples(bytes, unpacked.data(), n, layout.bits, layout.big_endian);
            store.append(unpacked.data(), n);
            done += n;
        }
        if (r + 1 == height || (r + 1) % rps == 0) codec.finish();
        if (layout.differencing) undo_differencing(store.at(static_cast<std::size_t>(r) * width), width, layout.bits);
    }
}

template <typename Sample>
SliceImage<Sample> read_slice(SliceFile& file) {
    constexpr SampleForm form = sizeof(Sample) == 1 ? SampleForm::bits8 : SampleForm::bits16;
    Ifd ifd(file);
    SliceHeader header = read_header(ifd, file, form);

    StripLayout layout;
    layout.bits = header.bits;
    layout.big_endian = ifd.order().big_endian;
    std::uint32_t compression = ifd.single_value(tiff_tag::compression, false, 1);
    if (compression != compression_none && compression != compression_lzw && compression != compression_packbits)
        file.fail(slice_message::bad_compression);
    std::uint32_t photometric = ifd.single_value(tiff_tag::photometric, false, 65535);
    if (photometric != 0 && photometric != 1 && photometric != 3 && photometric != 4)
        file.fail(slice_message::bad_photometric);
    std::uint32_t fill_order = ifd.single_value(tiff_tag::fill_order, false, 1);
    if (fill_order != 1 && fill_order != 2) file.fail(slice_message::bad_fill_order);
    layout.fill_order = static_cast<int>(fill_order);
    if (ifd.single_value(tiff_tag::samples_per_pixel, false, 1) != 1) file.fail(slice_message::bad_samples_per_pixel);
    layout.rows_per_strip = ifd.single_value(tiff_tag::rows_per_strip, true, static_cast<std::uint32_t>(header.height));
    if (layout.rows_per_strip == 0) file.fail(slice_message::bad_rows_per_strip);
    if (ifd.single_value(tiff_tag::planar_configuration, false, 1) != 1) file.fail(slice_message::bad_planar);
    std::uint32_t predictor = ifd.single_value(tiff_tag::predictor, false, 1);
    if (predictor != 1 && predictor != 2) file.fail(slice_message::bad_predictor);
    layout.differencing = predictor == 2 && header.width > 1;

    std::uint64_t height = static_cast<std::uint64_t>(header.height);
    std::uint64_t strips = (height + layout.rows_per_strip - 1) / layout.rows_per_strip;
    layout.offsets = ifd.strip_table(tiff_tag::strip_offsets, strips, "offset");
    layout.byte_counts = ifd.strip_table(tiff_tag::strip_byte_counts, strips, "bytes count");

    SliceImage<Sample> image;
    image.width = header.width;
    image.height = header.height;
    // The first allocation is what a file of this size plausibly holds (8 samples per
    // stored byte covers most compressed slices); data beyond that grows it.
    std::uint64_t total = static_cast<std::uint64_t>(header.width) * height;
    SampleStore<Sample> store(image.samples, total, 8 * file.loaded_size() + (std::uint64_t{1} << 20), file);
    switch (compression) {
        case compression_lzw:
            read_strips<Sample, LzwStrip>(file, layout, image, store);
            break;
        case compression_packbits:
            read_strips<Sample, PackBitsStrip>(file, layout, image, store);
            break;
        default:
            read_strips<Sample, NoneStrip>(file, layout, image, store);
            break;
    }
    return image;
}

SliceSize probe(SliceFile& file, SampleForm form) {
    Ifd ifd(file);
    SliceHeader header = read_header(ifd, file, form);
    return SliceSize{header.width, header.height};
}

}  // namespace

SliceSize probe_tiff_slice(const std::string& path, SampleForm form) {
    SliceFile file(path, SliceFile::Extent::header);
    return probe(file, form);
}

template <typename Sample>
SliceImage<Sample> read_tiff_slice(const std::string& path) {
    SliceFile file(path, SliceFile::Extent::whole);
    return read_slice<Sample>(file);
}
template SliceImage<std::uint8_t> read_tiff_slice<std::uint8_t>(const std::string& path);
template SliceImage<std::uint16_t> read_tiff_slice<std::uint16_t>(const std::string& path);

SliceImage8 read_tiff_slice8(const std::string& path) { return read_tiff_slice<std::uint8_t>(path); }
SliceImage16 read_tiff_slice16(const std::string& path) { return read_tiff_slice<std::uint16_t>(path); }

SliceSize probe_tiff_bytes(std::span<const std::uint8_t> bytes, const std::string& path, SampleForm form) {
    SliceFile file(path, bytes);
    return probe(file, form);
}

template <typename Sample>
SliceImage<Sample> read_tiff_bytes(std::span<const std::uint8_t> bytes, const std::string& path) {
    SliceFile file(path, bytes);
    return read_slice<Sample>(file);
}
template SliceImage<std::uint8_t> read_tiff_bytes<std::uint8_t>(std::span<const std::uint8_t>, const std::string&);
template SliceImage<std::uint16_t> read_tiff_bytes<std::uint16_t>(std::span<const std::uint8_t>, const std::string&);

}  // namespace slicemesh
