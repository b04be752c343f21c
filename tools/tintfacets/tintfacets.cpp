#include "tools/tintfacets/tintfacets.h"

#include <cstdio>

#include "slicein/colour_table.h"
#include "slicein/diagnostics.h"
#include "slicein/slice_list.h"
#include "slicein/tiff_slice.h"
#include "stl/binary_stl.h"
#include "tools/tintfacets/label_store.h"
#include "tools/tintfacets/labelled_surface.h"
#include "vm/face_file.h"

namespace slicemesh {

namespace {

// Every triangle of a direction becomes one facet carrying the colour word it was merged by.
class FacetSurface {
public:
    explicit FacetSurface(BinaryStlWriter& stl) : stl_(stl) {}
    void start_direction(Direction d) { direction_ = d; }
    void set_plane(int plane) { plane_ = plane; }
    void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t word) {
        stl_.facet(direction_, plane_, xa, ya, xb, yb, xc, yc, static_cast<std::uint16_t>(word));
    }

private:
    BinaryStlWriter& stl_;
    Direction direction_ = Direction::mx;
    int plane_ = 0;
};

}  // namespace

int run_tintfacets(int argc, char** argv) {
    if (argc != 5 && argc != 8) fatal("usage : tintfacets directory nameFile colorFile {unitX unitY unitZ} STL");
    const SliceList list = read_slice_list(argv[1], argv[2], SampleForm::bits8);
    const ColourTable colours = read_colour_table(argv[3]);
    LabelValues words{};
    for (std::size_t v = 0; v < 256; ++v)
        if (colours.shown[v]) words[v] = colour_word(colours.red[v], colours.green[v], colours.blue[v]);
    LoadedStack loaded = load_label_store(list, colours.shown, "memory allocation error.");
    if (loaded.box.empty()) fatal("no solid object.");

    LabelledSurfaceSweep sweep(loaded.store, loaded.box, colours.shown, words);
    UnitFactors units;
    if (argc == 8) units = unit_factors_from(argv + 4);
    FileHandle out(std::fopen(argv[argc - 1], "w+b"));
    if (!out) fatal("STL file not open.");
    {
        BinaryStlWriter stl(out.get(), units);
        stl.begin_patched_count();
        FacetSurface surface(stl);
        sweep.run(surface);
        stl.finish_patched_count();
    }
    return 0;
}

}  // namespace slicemesh
