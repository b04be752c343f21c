// plainfacets_bench [size ...]: times plainfacets' phases on generated stacks (default
// 256 and 512 voxels a side, blobs and a porous solid): reading the TIFF slices into the
// bit-plane stack, sweeping and triangulating, and writing the ASCII STL; then the whole
// program with its peak memory.
// Phases are CPU seconds. Run by hand from a Release build configured with
// -DSLICEMESH_BENCH=ON.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/plainfacets/phantom_stack.h"
#include "stl/ascii_stl.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/plain_surface.h"
#include "slicein/slice_list.h"
#include "slicein/tiff_slice.h"

namespace {

using namespace slicemesh;
// Phases are timed in process CPU time (user + system): the machine may be shared, and
// waiting for a CPU is not our cost. The whole program is timed by the wall clock.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    }
};
double seconds_since(double start) { return Clock::now() - start; }
double wall_now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

struct Run {
    double load = 0, sweep = 0, write = 0;
    long triangles = 0;
    double program = -1;
    long program_kib = -1;
};

// Runs the program with stdout to out; wall seconds and peak resident KiB.
void run_program(const std::string& dir, const std::string& names, const std::string& out, Run& run) {
    std::fflush(stdout);  // the child must not inherit unwritten table lines
    const double start = wall_now();
    pid_t pid = fork();
    if (pid == 0) {
        std::FILE* f = std::freopen(out.c_str(), "wb", stdout);
        if (f == nullptr) _exit(127);
        execl(SLICEMESH_PLAINFACETS, "plainfacets", dir.c_str(), names.c_str(), "1-255", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.program = wall_now() - start;
    run.program_kib = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

Run measure(bench::Phantom kind, int size, const std::string& dir) {
    bench::PhantomStack phantom(kind, size);
    const std::string names = phantom.write(dir);
    const StackExtent extent{size, size, size};
    std::vector<std::uint8_t> selection(65536, 0);
    for (int v = 1; v <= 255; ++v) selection[static_cast<std::size_t>(v)] = 1;
    Run run;
    // The program first: a child's peak memory counts the parent's size at the fork.
    const std::string out = dir + "/out.stl";
    run_program(dir, names, out, run);

    BitPlaneStack stack(extent, selection);
    SolidBox box(extent);
    auto start = Clock::now();
    SliceList list = read_slice_list(dir, names, SampleForm::bits16);
    for (int z = 0; z < list.count; ++z)
        stack.add_slice(z, read_tiff_slice16(list.paths[static_cast<std::size_t>(z)]), box);
    run.load = seconds_since(start);

    // The best of three sweeps: the machine may be shared.
    long counted = 0;
    auto count = [&counted](Direction, int, int, int, int, int, int, int) { ++counted; };
    for (int repeat = 0; repeat < 3; ++repeat) {
        counted = 0;
        auto sweep_start = Clock::now();
        sweep_plain_surface(stack, extent, box, count);
        double t = seconds_since(sweep_start);
        if (repeat == 0 || t < run.sweep) run.sweep = t;
    }
    run.triangles = counted;

    std::vector<PlaneTriangle> triangles;
    triangles.reserve(static_cast<std::size_t>(run.triangles));
    auto keep = [&triangles](Direction d, int p, int ua, int va, int ub, int vb, int uc, int vc) {
        auto u16 = [](int value) { return static_cast<std::uint16_t>(value); };
        triangles.push_back({d, p, {u16(ua), u16(ub), u16(uc)}, {u16(va), u16(vb), u16(vc)}});
    };
    sweep_plain_surface(stack, extent, box, keep);
    std::FILE* file = std::fopen(out.c_str(), "wb");
    auto write_start = Clock::now();
    {
        AsciiStlWriter stl(file);
        stl.begin();
        for (const PlaneTriangle& t : triangles) stl.facet(t);
        stl.end();
    }
    std::fclose(file);
    run.write = seconds_since(write_start);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {256, 512};
    std::printf("| stack | read s | sweep+triangulate s | write s | triangles | program s | program peak MiB |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (int size : sizes) {
        for (bench::Phantom kind : {bench::Phantom::blobs, bench::Phantom::porous}) {
            std::string pattern = (std::filesystem::temp_directory_path() / "plainfacets-bench-XXXXXX").string();
            if (mkdtemp(pattern.data()) == nullptr) return 1;
            Run r = measure(kind, size, pattern);
            std::filesystem::remove_all(pattern);
            std::printf("| %s-%d | %.3f | %.3f | %.3f | %ld | %.3f | %.1f |\n", kind == bench::Phantom::blobs ? "blobs" : "porous",
                        size, r.load, r.sweep, r.write, r.triangles, r.program, r.program_kib / 1024.0);
            std::fflush(stdout);
        }
    }
    return 0;
}
