#pragma once
// The stored bytes a reference decoder sees: the fuzz input through the fill-order
// table, cut off by the byte budget or by the end of the "file", whichever comes first.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "slicein/slice_messages.h"
#include "slicein/stored_bytes.h"

namespace slicemesh::fuzz {

// Thrown by a reference decoder with the message the codec must fail with.
struct ReferenceError {
    std::string_view message;
};

class StoredInput {
public:
    StoredInput(const std::uint8_t* data, std::size_t size, std::uint64_t budget, int fill_order,
                std::string_view budget_error)
        : budget_(budget), budget_error_(budget_error) {
        const auto& fill = fill_order_table(fill_order);
        for (std::size_t i = 0; i < size; ++i) bytes_.push_back(fill[data[i]]);
    }

    std::uint8_t fetch() {
        if (at_ == budget_) throw ReferenceError{budget_error_};
        if (at_ == bytes_.size()) throw ReferenceError{slice_message::unexpected_eof};
        return bytes_[at_++];
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t budget_;
    std::string_view budget_error_;
    std::size_t at_ = 0;  // bytes fetched so far
};

}  // namespace slicemesh::fuzz
