#pragma once
// One strip through a codec and through its reference decoder: the same bytes, or the
// same failure. Option byte 0: bit 0 FillOrder 2, bits 1-2 how the byte budget relates
// to the data, bits 3-5 the size of each read. Option byte 1: how many decoded bytes
// the rows ask for, 1/8 to 32 times the stored size.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/stored_input.h"
#include "slicein/diagnostics.h"
#include "slicein/stored_bytes.h"

namespace slicemesh::fuzz {

template <typename Codec, typename Reference>
int fuzz_strip(const std::uint8_t* data, std::size_t size, std::string_view budget_error) {
    static const std::string path = "strip";
    FuzzInput<2> in(data, size);
    const int fill_order = in.options[0] & 1 ? 2 : 1;
    std::uint64_t budget = in.size;
    switch (in.options[0] >> 1 & 3) {
        case 1: budget = in.size / 2; break;          // the budget runs out first
        case 2: budget = in.size + 1 + in.options[1]; break;  // the file runs out first
        case 3: budget = in.size - std::min<std::size_t>(in.size, 1); break;
        default: break;
    }
    static constexpr std::size_t read_sizes[8] = {1, 2, 3, 7, 64, 255, 4096, 65536};
    const std::size_t read_size = read_sizes[in.options[0] >> 3 & 7];
    // Bounded so that a highly compressed strip stays cheap.
    const std::size_t wanted = std::min<std::size_t>((in.size + 1) * (in.options[1] + 1u) / 8, std::size_t{1} << 22);

    std::vector<std::uint8_t> expected;
    std::string expected_error;
    try {
        expected = Reference(StoredInput(in.data, in.size, budget, fill_order, budget_error)).decode(wanted);
    } catch (const ReferenceError& e) {
        expected_error = path + " : " + std::string(e.message) + "\n";
    }

    Codec codec(path);
    codec.start(StoredBytes::over(in.data, in.size, budget, fill_order));
    std::vector<std::uint8_t> out(wanted);
    try {
        for (std::size_t done = 0; done < wanted;) {
            std::size_t n = std::min(read_size, wanted - done);
            codec.read(out.data() + done, n);
            done += n;
        }
    } catch (const FatalError& e) {
        if (e.text() != expected_error) broken("the codec fails where the reference does not, or differently");
        return 0;
    }
    if (!expected_error.empty()) broken("the codec decodes what the reference rejects");
    if (out != expected) broken("the codec and the reference decode different bytes");
    try {
        codec.finish();  // peeking past the data may still reach the end of the file
    } catch (const FatalError&) {
    }
    return 0;
}

}  // namespace slicemesh::fuzz
