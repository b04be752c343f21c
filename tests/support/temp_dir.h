#pragma once
// A fresh directory under the system temporary directory, removed with its contents
// when the object goes away. Fixtures never go into the source tree.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace slicemesh::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "slicemesh-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

    // Writes bytes to a file in this directory and returns its path.
    std::string write(std::string_view name, std::string_view bytes) const {
        return write_at(file(name), bytes);
    }
    // Writes bytes to any path.
    static std::string write_at(const std::string& path, std::string_view bytes) {
        // A fresh file rather than a truncated one: ext4 starts writeback when a file is
        // truncated and rewritten, which makes loops over thousands of fixtures crawl.
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
        return write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::filesystem::path path_;
};

// A directory below dir whose path is longer than 1024 bytes, so that names built in a
// fixed buffer of that size would be cut.
inline std::filesystem::path long_directory(const TempDir& dir) {
    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 12; ++i) deep /= std::string(100, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    return deep;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace slicemesh::test
