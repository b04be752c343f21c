#include "slicein/slice_order.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace slicemesh {

std::optional<SliceOrder> slice_order_of(std::string_view option) {
    if (option == "-") return SliceOrder::name_ascending;
    if (option == "--r") return SliceOrder::name_descending;
    if (option == "--n") return SliceOrder::key_ascending;
    if (option.starts_with("--rn") || option.starts_with("--nr")) return SliceOrder::key_descending;
    return std::nullopt;
}

std::optional<double> numeric_key(const std::string& name) {
    std::size_t start = name.find_first_of("0123456789+-");
    if (start == std::string::npos) return std::nullopt;
    double value = 0;
    if (std::sscanf(name.c_str() + start, "%lf", &value) != 1 || std::isnan(value)) return std::nullopt;
    return value;
}

namespace {

struct SortItem {
    std::string_view name;
    std::optional<double> key;
};

// Numeric ascending: names without a key first (by name), then by key, ties by name.
bool key_less(const SortItem& a, const SortItem& b) {
    if (a.key.has_value() != b.key.has_value()) return !a.key.has_value();
    if (a.key && *a.key != *b.key) return *a.key < *b.key;
    return a.name < b.name;
}

}  // namespace

void sort_slice_paths(std::vector<std::string>& paths, std::size_t prefix_length, SliceOrder order) {
    std::vector<SortItem> items(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        items[i].name = std::string_view(paths[i]).substr(prefix_length);
        if (order == SliceOrder::key_ascending || order == SliceOrder::key_descending)
            items[i].key = numeric_key(std::string(items[i].name));
    }
    std::vector<std::size_t> index(paths.size());
    std::iota(index.begin(), index.end(), std::size_t{0});
    auto by = [&](auto less) {
        std::sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) { return less(items[a], items[b]); });
    };
    switch (order) {
        case SliceOrder::name_ascending:
            by([](const SortItem& a, const SortItem& b) { return a.name < b.name; });
            break;
        case SliceOrder::name_descending:
            by([](const SortItem& a, const SortItem& b) { return b.name < a.name; });
            break;
        case SliceOrder::key_ascending:
            by(key_less);
            break;
        case SliceOrder::key_descending:
            by([](const SortItem& a, const SortItem& b) { return key_less(b, a); });
            break;
    }
    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    for (std::size_t i : index) sorted.push_back(std::move(paths[i]));
    paths = std::move(sorted);
}

}  // namespace slicemesh
