#pragma once
// What the benchmarks share: a CPU clock for the phases, and a timed run of a whole
// program with its peak memory.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/plainfacets/phantom_stack.h"

namespace slicemesh::bench {

// Phases are timed in process CPU time (user + system): the machine may be shared, and
// waiting for a CPU is not our cost. The whole program is timed by the wall clock.
inline double cpu_now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}
inline double wall_now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct ProgramRun {
    double wall = -1;     // seconds
    long peak_kib = -1;   // peak resident set; -1 when the program failed
};

// Runs program with args (argv[0] included), stdout going to stdout_path when given.
inline ProgramRun run_timed(const std::string& program, const std::vector<std::string>& args,
                            const std::string& stdout_path = "") {
    std::fflush(stdout);  // the child must not inherit unwritten table lines
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ProgramRun run;
    const double start = wall_now();
    pid_t pid = fork();
    if (pid == 0) {
        if (!stdout_path.empty() && std::freopen(stdout_path.c_str(), "wb", stdout) == nullptr) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wall = wall_now() - start;
    run.peak_kib = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
    return run;
}

// The stack sizes given on the command line, 256 and 512 by default.
inline std::vector<int> bench_sizes(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {256, 512};
    return sizes;
}

// Calls row(kind, size, dir) for both phantoms of every size, each with a fresh
// temporary directory that is removed afterwards; false when none could be made.
template <typename Row>
bool for_each_phantom(const std::vector<int>& sizes, const char* prefix, Row row) {
    for (int size : sizes)
        for (Phantom kind : {Phantom::blobs, Phantom::porous}) {
            std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
            if (mkdtemp(pattern.data()) == nullptr) return false;
            row(kind, size, pattern);
            std::filesystem::remove_all(pattern);
            std::fflush(stdout);
        }
    return true;
}

inline const char* phantom_name(Phantom kind) { return kind == Phantom::blobs ? "blobs" : "porous"; }

}  // namespace slicemesh::bench
