#include "slicein/slice_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>

#include "slicein/diagnostics.h"
#include "slicein/slice_order.h"

namespace slicemesh {

namespace {

// The prefix buffer holds 1024 characters: the directory, "/" and a terminator.
constexpr std::size_t longest_directory = 1022;
// A name-file line, without its line feed.
constexpr std::size_t longest_line = 1021;

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view first_word(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && is_space(text[begin])) ++begin;
    std::size_t end = begin;
    while (end < text.size() && !is_space(text[end])) ++end;
    return text.substr(begin, end - begin);
}

// Collects the paths in order, probing each slice as it is added.
class SliceListBuilder {
public:
    SliceListBuilder(std::string_view directory, SampleForm form) : form_(form) {
        if (directory.size() > longest_directory) fatal_named(directory, "too long directory name");
        prefix_ = std::string(directory) + "/";
    }

    void reserve(std::size_t count) {
        try {
            list_.paths.reserve(count);
        } catch (const std::bad_alloc&) {
            fatal_named(prefix_, "no memory for paths");
        } catch (const std::length_error&) {
            fatal_named(prefix_, "no memory for paths");
        }
    }

    void add(std::string_view name) {
        std::string path;
        try {
            path.reserve(prefix_.size() + name.size());
            path.append(prefix_).append(name);
        } catch (const std::bad_alloc&) {
            fatal_named(prefix_, "no memory for path");
        }
        SliceSize size = probe_tiff_slice(path, form_);
        list_.width = std::max(list_.width, size.width);
        list_.height = std::max(list_.height, size.height);
        list_.paths.push_back(std::move(path));
        list_.count = static_cast<int>(list_.paths.size());
    }

    std::size_t size() const { return list_.paths.size(); }
    const std::string& prefix() const { return prefix_; }
    SliceList& list() { return list_; }

private:
    SampleForm form_;
    std::string prefix_;  // the directory argument as given, then "/"
    SliceList list_;
};

// Reads the name file's lines; calls on_name with each line's first word until it
// returns false. Returns the number of names seen.
template <typename OnName>
std::size_t read_name_lines(std::FILE* file, std::string_view name_file, OnName on_name) {
    std::size_t names = 0;
    std::string line;
    for (;;) {
        line.clear();
        int c;
        while ((c = std::getc(file)) != EOF && c != '\n') {
            if (line.size() == longest_line) fatal_named(name_file, "too long line");
            line.push_back(static_cast<char>(c));
        }
        std::string_view word = first_word(line);
        if (!word.empty()) {
            ++names;
            if (!on_name(word)) return names;
        }
        if (c == EOF) return names;
    }
}

void list_name_file(SliceListBuilder& builder, std::string_view name_file) {
    std::string name_path(name_file);
    std::FILE* file = std::fopen(name_path.c_str(), "r");
    if (file == nullptr) fatal_named(name_file, "name file not open");
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};

    std::size_t count = read_name_lines(file, name_file, [](std::string_view) { return true; });
    if (count == 0) fatal_named(name_file, "no image file name");
    builder.reserve(count);
    std::rewind(file);
    read_name_lines(file, name_file, [&](std::string_view word) {
        builder.add(word);
        return builder.size() < count;
    });
    if (builder.size() < count) fatal_named(name_file, "missing image file name");
}

void list_inline(SliceListBuilder& builder, std::string_view names) {
    std::vector<std::string_view> words;
    for (std::string_view rest = names;;) {
        std::string_view word = first_word(rest);
        if (word.empty()) break;
        words.push_back(word);
        rest = rest.substr(static_cast<std::size_t>(word.data() + word.size() - rest.data()));
    }
    if (words.empty()) fatal_named(names, "no image file name");
    builder.reserve(words.size());
    for (std::string_view word : words) builder.add(word);
}

// The platform listing: every entry but "." and ".." (which it never yields) counts.
void list_directory(SliceListBuilder& builder, std::string_view directory) {
    namespace fs = std::filesystem;
    fs::path dir{std::string(directory)};
    auto open = [&](std::error_code& ec) { return fs::directory_iterator(dir, ec); };
    std::error_code ec;
    fs::directory_iterator it = open(ec);
    if (ec) fatal_named(directory, "directory not open");
    std::size_t count = 0;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        ++count;
    }
    if (count == 0) fatal_named(directory, "no image file name");
    builder.reserve(count);
    it = open(ec);
    for (; !ec && it != fs::directory_iterator() && builder.size() < count; it.increment(ec))
        builder.add(it->path().filename().string());
    if (builder.size() < count) fatal_named(directory, "missing image file name");
}

}  // namespace

SliceList read_slice_list(std::string_view directory, std::string_view name_file, SampleForm form) {
    SliceListBuilder builder(directory, form);
    if (!name_file.starts_with("-")) {
        list_name_file(builder, name_file);
    } else if (name_file.size() > 1 && name_file[1] != '-') {
        list_inline(builder, name_file.substr(1));
    } else {
        list_directory(builder, directory);
        // The option is judged only after every slice has been probed.
        std::optional<SliceOrder> order = slice_order_of(name_file);
        if (!order) fatal_named(name_file.substr(1), "unknown sorting option");
        sort_slice_paths(builder.list().paths, builder.prefix().size(), *order);
    }
    return std::move(builder.list());
}

}  // namespace slicemesh
