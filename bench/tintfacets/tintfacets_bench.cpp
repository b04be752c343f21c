// tintfacets_bench [size ...]: times tintfacets' phases on the generated labelled stacks
// (default 256 and 512 voxels a side, blobs of eight labels and a porous solid): reading
// the TIFF slices into the label store, sweeping and triangulating, and writing the binary
// STL; then the whole program with its peak memory, also per voxel of the grid.
// Phases are CPU seconds. Run by hand from a Release build configured with
// -DSLICEMESH_BENCH=ON.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/plainfacets/bench_support.h"
#include "bench/plainfacets/phantom_stack.h"
#include "slicein/colour_table.h"
#include "slicein/slice_list.h"
#include "stl/binary_stl.h"
#include "tools/tintfacets/label_store.h"
#include "tools/tintfacets/labelled_surface.h"

namespace {

using namespace slicemesh;
using bench::cpu_now;

struct Run {
    double load = 0, sweep = 0, write = 0;
    long triangles = 0;
    bench::ProgramRun program;
};

// Every label 1-255 shown, each in its own colour word.
std::string write_colours(const std::string& dir) {
    std::string path = dir + "/colours.txt";
    std::ofstream f(path);
    for (int v = 1; v <= 255; ++v) f << v << ' ' << (v * 8) % 256 << ' ' << (v / 32) * 8 << ' ' << 128 << '\n';
    return path;
}

struct Triangle {
    Direction d;
    int plane;
    int c[6];
    std::int32_t word;
};

Run measure(bench::Phantom kind, int size, const std::string& dir) {
    bench::PhantomStack phantom(kind, size);
    const std::string names = phantom.write(dir);
    const std::string colours_path = write_colours(dir);
    const std::string out = dir + "/out.stl";
    Run run;
    // The program first: a child's peak memory counts the parent's size at the fork.
    run.program = bench::run_timed(SLICEMESH_TINTFACETS, {"tintfacets", dir, names, colours_path, out});

    auto start = cpu_now();
    const SliceList list = read_slice_list(dir, names, SampleForm::bits8);
    const ColourTable colours = read_colour_table(colours_path);
    LabelValues words{};
    for (std::size_t v = 0; v < 256; ++v)
        if (colours.shown[v]) words[v] = colour_word(colours.red[v], colours.green[v], colours.blue[v]);
    LoadedStack loaded = load_label_store(list, colours.shown, "memory allocation error.");
    run.load = cpu_now() - start;

    // The best of three sweeps: the machine may be shared.
    struct Count {
        long n = 0;
        void start_direction(Direction) {}
        void set_plane(int) {}
        void operator()(int, int, int, int, int, int, std::int32_t) { ++n; }
    };
    for (int repeat = 0; repeat < 3; ++repeat) {
        Count count;
        auto sweep_start = cpu_now();
        LabelledSurfaceSweep sweep(loaded.store, loaded.box, colours.shown, words);
        sweep.run(count);
        double t = cpu_now() - sweep_start;
        if (repeat == 0 || t < run.sweep) run.sweep = t;
        run.triangles = count.n;
    }

    struct Keep {
        std::vector<Triangle> triangles;
        Direction d = Direction::mx;
        int plane = 0;
        void start_direction(Direction next) { d = next; }
        void set_plane(int p) { plane = p; }
        void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t word) {
            triangles.push_back({d, plane, {xa, ya, xb, yb, xc, yc}, word});
        }
    } keep;
    keep.triangles.reserve(static_cast<std::size_t>(run.triangles));
    LabelledSurfaceSweep(loaded.store, loaded.box, colours.shown, words).run(keep);
    std::FILE* file = std::fopen(out.c_str(), "w+b");
    auto write_start = cpu_now();
    {
        BinaryStlWriter stl(file, {});
        stl.begin_patched_count();
        for (const Triangle& t : keep.triangles)
            stl.facet(t.d, t.plane, t.c[0], t.c[1], t.c[2], t.c[3], t.c[4], t.c[5], static_cast<std::uint16_t>(t.word));
        stl.finish_patched_count();
    }
    std::fclose(file);
    run.write = cpu_now() - write_start;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("| stack | read s | sweep+triangulate s | write s | triangles | program s | program peak MiB | bytes per voxel |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    auto row = [](bench::Phantom kind, int size, const std::string& dir) {
        Run r = measure(kind, size, dir);
        const double voxels = static_cast<double>(size) * size * size;
        std::printf("| %s-%d | %.3f | %.3f | %.3f | %ld | %.3f | %.1f | %.2f |\n", bench::phantom_name(kind), size, r.load,
                    r.sweep, r.write, r.triangles, r.program.wall, r.program.peak_kib / 1024.0,
                    r.program.peak_kib * 1024.0 / voxels);
    };
    return bench::for_each_phantom(bench::bench_sizes(argc, argv), "tintfacets-bench", row) ? 0 : 1;
}
