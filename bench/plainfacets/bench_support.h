#pragma once
// What the benchmarks share: a CPU clock for the phases, and a timed run of a whole
// program with its peak memory.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

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

}  // namespace slicemesh::bench
