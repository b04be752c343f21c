// Runs a fuzz target without libFuzzer, so that any compiler builds it and CTest can
// replay its seeds under the sanitizers:
//
//   target [--mutate N] [--seed S] [--suffix B,B,...] PATH...
//
// Every file of each PATH (a file, or a folder read recursively in name order) is run
// once; with --suffix, files of the PATHs that follow are run once per listed byte
// appended (the option bytes of a target, for files written by other software). Then
// N mutants of the inputs seen (bit flips, byte changes, truncations, insertions,
// deletions, copied stretches) run, drawn from a fixed seed, so every run is the same.
// On a crash the input being run is written to crash-<target> in the current folder.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"

// Under a sanitizer its own report comes first; the death callback then saves the input.
#if defined(__SANITIZE_ADDRESS__)
#define SLICEMESH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SLICEMESH_SANITIZED 1
#endif
#endif
#ifdef SLICEMESH_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// The input being run and where it goes when the run dies.
const Bytes* current = nullptr;
std::string crash_path;

void save_current() {
    if (current == nullptr) return;
    if (std::FILE* f = std::fopen(crash_path.c_str(), "wb")) {
        if (!current->empty()) std::fwrite(current->data(), 1, current->size(), f);
        std::fclose(f);
        std::fprintf(stderr, "replay: input written to %s\n", crash_path.c_str());
    }
    current = nullptr;
}

void on_signal(int sig) {
    save_current();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void run(const Bytes& input) {
    current = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    current = nullptr;
}

Bytes read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> files_of(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    if (fs::is_directory(path)) {
        for (const auto& entry : fs::recursive_directory_iterator(path))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (fs::is_regular_file(path)) {
        files.push_back(path);
    } else {
        std::fprintf(stderr, "replay: no such file or folder: %s\n", path.string().c_str());
        std::exit(2);
    }
    return files;
}

std::vector<std::uint8_t> parse_suffixes(const std::string& list) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at < list.size();) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(list.substr(at, end - at), nullptr, 0)));
        at = end + 1;
    }
    return bytes;
}

// Deterministic on every platform: mt19937's output is fixed by the standard, and
// below() avoids the distributions, whose results are not.
class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    std::size_t below(std::size_t n) { return n == 0 ? 0 : random_() % n; }

    Bytes mutate(Bytes input) {
        for (std::size_t steps = 1 + below(4); steps != 0; --steps) step(input);
        return input;
    }

private:
    void step(Bytes& b) {
        switch (below(6)) {
            case 0:  // flip a bit
                if (!b.empty()) b[below(b.size())] ^= static_cast<std::uint8_t>(1u << below(8));
                break;
            case 1:  // set a byte, often to a boundary value
                if (!b.empty()) {
                    static constexpr std::uint8_t special[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFE, 8, 16};
                    b[below(b.size())] = below(2) ? special[below(8)] : static_cast<std::uint8_t>(random_());
                }
                break;
            case 2:  // truncate
                b.resize(below(b.size() + 1));
                break;
            case 3: {  // insert a few bytes
                std::size_t at = below(b.size() + 1);
                std::size_t n = 1 + below(8);
                for (std::size_t i = 0; i < n; ++i)
                    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(random_()));
                break;
            }
            case 4: {  // delete a stretch
                std::size_t at = below(b.size());
                std::size_t n = std::min(b.size() - at, 1 + below(16));
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
                break;
            }
            default: {  // copy a stretch over another place
                if (b.size() < 2) break;
                std::size_t from = below(b.size()), to = below(b.size());
                std::size_t n = std::min({b.size() - from, b.size() - to, 1 + below(32)});
                std::memmove(b.data() + to, b.data() + from, n);
                break;
            }
        }
    }

    std::mt19937 random_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string name = std::filesystem::path(argv[0]).filename().string();
    crash_path = "crash-" + name;
    std::set_terminate([] {
        save_current();
        std::abort();
    });
#ifdef SLICEMESH_SANITIZED
    __sanitizer_set_death_callback(save_current);
    std::signal(SIGABRT, on_signal);
#else
    std::signal(SIGSEGV, on_signal);
    std::signal(SIGABRT, on_signal);
    std::signal(SIGFPE, on_signal);
#endif

    std::size_t mutations = 0;
    std::uint32_t seed = 1;
    std::vector<std::uint8_t> suffixes;
    std::vector<Bytes> inputs;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--mutate" || arg == "--seed" || arg == "--suffix") && i + 1 < argc) {
            std::string value = argv[++i];
            if (arg == "--mutate") mutations = std::stoul(value);
            if (arg == "--seed") seed = static_cast<std::uint32_t>(std::stoul(value));
            if (arg == "--suffix") suffixes = parse_suffixes(value);
            continue;
        }
        for (const auto& file : files_of(arg)) {
            Bytes bytes = read_bytes(file);
            if (suffixes.empty()) {
                inputs.push_back(bytes);
                run(inputs.back());
                continue;
            }
            for (std::uint8_t suffix : suffixes) {
                inputs.push_back(bytes);
                inputs.back().push_back(suffix);
                run(inputs.back());
            }
        }
    }
    if (inputs.empty() && mutations != 0) {
        std::fprintf(stderr, "replay: nothing to mutate\n");
        return 2;
    }
    Mutator mutator(seed);
    for (std::size_t i = 0; i < mutations; ++i) {
        Bytes mutant = mutator.mutate(inputs[mutator.below(inputs.size())]);
        run(mutant);
    }
    std::fprintf(stderr, "%s: %zu inputs and %zu mutants ran\n", name.c_str(), inputs.size(), mutations);
    return 0;
}
