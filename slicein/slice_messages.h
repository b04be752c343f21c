#pragma once
// The fixed texts of the slice reader and its strip codecs, in one table so that the
// reader, the codecs and the tests all use the same words.

#include <string_view>

namespace slicemesh::slice_message {

// Header, tags and strip tables.
inline constexpr std::string_view file_not_found = "file not found.";
inline constexpr std::string_view unexpected_eof = "unexpected end of file.";
inline constexpr std::string_view bad_magic = "bad magic number.";
inline constexpr std::string_view missing_size = "missing image size.";
inline constexpr std::string_view too_large_size = "too large image size.";
inline constexpr std::string_view bad_bits = "bad bits per sample.";
inline constexpr std::string_view bad_compression = "unknown image compression method.";
inline constexpr std::string_view bad_photometric = "bad photometric interpretation.";
inline constexpr std::string_view bad_fill_order = "unknown fill order.";
inline constexpr std::string_view bad_samples_per_pixel = "bad samples per pixel.";
inline constexpr std::string_view bad_rows_per_strip = "bad rows per strip.";
inline constexpr std::string_view bad_planar = "bad planar configuration.";
inline constexpr std::string_view bad_predictor = "unknown differencing predictor.";
inline constexpr std::string_view no_cell_memory = "no allocatable memory for cell.";
// The strip-table texts are completed with the table's word, "offset" or "bytes count", and ".".
inline constexpr std::string_view strip_table_count = "bad number of strip ";
inline constexpr std::string_view strip_table_missing = "missing strip ";

// Codec errors: the stored bytes of a strip ran out while data was still needed.
inline constexpr std::string_view none_too_few = "too few codes.";
inline constexpr std::string_view packbits_too_few = "MPB too few codes.";
inline constexpr std::string_view lzw_too_few = "LZW too few codes.";
inline constexpr std::string_view lzw_early_end = "LZW unexpected end of code.";
inline constexpr std::string_view lzw_bad_first = "LZW bad code after clear code.";
inline constexpr std::string_view lzw_table_full = "LZW missing clear code.";
inline constexpr std::string_view lzw_bad_code = "LZW bad code.";

// Codec warnings at the end of a strip (no final full stop).
inline constexpr std::string_view none_extra = "too many codes";
inline constexpr std::string_view packbits_inside_run = "MPB too many data";
inline constexpr std::string_view packbits_extra = "MPB too many code";
inline constexpr std::string_view lzw_extra_data = "LZW too many data";
inline constexpr std::string_view lzw_extra_code = "LZW too many code";
inline constexpr std::string_view lzw_no_end = "LZW missing end of code";

}  // namespace slicemesh::slice_message
