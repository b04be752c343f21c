// plainfacets_bench [size ...]: times plainfacets' phases on generated stacks (default
// 256 and 512 voxels a side, blobs and a porous solid): reading the TIFF slices into the
// bit-plane stack, sweeping and triangulating, and writing the ASCII STL; then the whole
// program with its peak memory.
// Phases are CPU seconds. Run by hand from a Release build configured with
// -DSLICEMESH_BENCH=ON.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/plainfacets/bench_support.h"
#include "bench/plainfacets/phantom_stack.h"
#include "stl/ascii_stl.h"
#include "tools/plainfacets/bit_plane_stack.h"
#include "tools/plainfacets/plain_surface.h"
#include "slicein/slice_list.h"
#include "slicein/tiff_slice.h"

namespace {

using namespace slicemesh;
using bench::cpu_now;

double seconds_since(double start) { return cpu_now() - start; }

struct Run {
    double load = 0, sweep = 0, write = 0;
    long triangles = 0;
    double program = -1;
    long program_kib = -1;
};

Run measure(bench::Phantom kind, int size, const std::string& dir) {
    bench::PhantomStack phantom(kind, size);
    const std::string names = phantom.write(dir);
    const StackExtent extent{size, size, size};
    std::vector<std::uint8_t> selection(65536, 0);
    for (int v = 1; v <= 255; ++v) selection[static_cast<std::size_t>(v)] = 1;
    Run run;
    // The program first: a child's peak memory counts the parent's size at the fork.
    const std::string out = dir + "/out.stl";
    const bench::ProgramRun whole = bench::run_timed(SLICEMESH_PLAINFACETS, {"plainfacets", dir, names, "1-255"}, out);
    run.program = whole.wall;
    run.program_kib = whole.peak_kib;

    BitPlaneStack stack(extent, selection);
    SolidBox box(extent);
    auto start = cpu_now();
    SliceList list = read_slice_list(dir, names, SampleForm::bits16);
    for (int z = 0; z < list.count; ++z)
        stack.add_slice(z, read_tiff_slice16(list.paths[static_cast<std::size_t>(z)]), box);
    run.load = seconds_since(start);

    // The best of three sweeps: the machine may be shared.
    long counted = 0;
    auto count = [&counted](Direction, int, int, int, int, int, int, int) { ++counted; };
    for (int repeat = 0; repeat < 3; ++repeat) {
        counted = 0;
        auto sweep_start = cpu_now();
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
    auto write_start = cpu_now();
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
    std::printf("| stack | read s | sweep+triangulate s | write s | triangles | program s | program peak MiB |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    auto row = [](bench::Phantom kind, int size, const std::string& dir) {
        Run r = measure(kind, size, dir);
        std::printf("| %s-%d | %.3f | %.3f | %.3f | %ld | %.3f | %.1f |\n", bench::phantom_name(kind), size, r.load,
                    r.sweep, r.write, r.triangles, r.program, r.program_kib / 1024.0);
    };
    return bench::for_each_phantom(bench::bench_sizes(argc, argv), "plainfacets-bench", row) ? 0 : 1;
}
