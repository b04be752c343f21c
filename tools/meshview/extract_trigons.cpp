#include "tools/meshview/extract_trigons.h"

#include "slicein/diagnostics.h"
#include "tools/tintfacets/label_store.h"
#include "tools/tintfacets/labelled_surface.h"
#include "vm/face_file.h"
#include "vm/trigon_sink.h"

namespace slicemesh {

namespace {

// The sweep's surface when the trigons stay in memory.
struct MemorySurface {
    TrigonLists& lists;
    MemoryTrigonSink sink;

    void start_direction(Direction d) { sink.start_direction(lists[static_cast<std::size_t>(index_of(d))]); }
    void set_plane(int plane) { sink.set_plane(plane); }
    void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t key) { sink(xa, ya, xb, yb, xc, yc, key); }
};

// The sweep's surface when the trigons go to the face files, each created as its
// direction starts and kept open for the read-back.
struct FileSurface {
    std::string_view base;
    TrigonLists& lists;
    std::array<FaceStream, 6>& streams;
    FileTrigonSink sink;

    void start_direction(Direction d) {
        const std::size_t i = static_cast<std::size_t>(index_of(d));
        sink.finish();
        streams[i] = open_face_file(base, d);
        sink.start_direction(lists[i], streams[i].get());
    }
    void set_plane(int plane) { sink.set_plane(plane); }
    void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t key) { sink(xa, ya, xb, yb, xc, yc, key); }
};

}  // namespace

void extract_trigons(const SliceList& list, const ColourTable& colours, std::optional<std::string_view> vm_base,
                     TrigonLists& lists, bool& grey_mode) {
    LoadedStack loaded = load_label_store(list, colours.shown, "image memory allocation error.", true);
    for (std::size_t v = 0; v < 256; ++v)
        if (loaded.present[v] && colours.shown[v] &&
            (colours.red[v] != colours.green[v] || colours.green[v] != colours.blue[v]))
            grey_mode = false;
    if (loaded.box.empty()) fatal("no solid object.");

    LabelValues keys{};
    for (std::size_t v = 0; v < 256; ++v)
        if (colours.shown[v]) keys[v] = colours.red[v] | colours.green[v] << 8 | colours.blue[v] << 16;

    std::array<FaceStream, 6> streams;
    {
        LabelledSurfaceSweep sweep(loaded.store, loaded.box, colours.shown, keys);
        if (vm_base) {
            FileSurface surface{*vm_base, lists, streams, {}};
            sweep.run(surface);
            surface.sink.finish();
        } else {
            MemorySurface surface{lists, {}};
            sweep.run(surface);
        }
    }
    loaded.store.release();
    if (vm_base)
        for (Direction d : all_directions) {
            const std::size_t i = static_cast<std::size_t>(index_of(d));
            read_face_file(std::move(streams[i]), lists[i]);
        }
}

}  // namespace slicemesh
