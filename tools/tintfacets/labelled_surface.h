#pragma once
// The coloured surface of a label store: the six face sweeps, each plane's faces merged
// per label value (colour word or colour key) and triangulated by the labelled outline
// form, every triangle handed to the caller's surface.
//
// A Surface provides
//   void start_direction(Direction d);   // before the first plane of d
//   void set_plane(int plane);           // the plane coordinate of the triangles to come
//   void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t value);

#include <cstdint>

#include "outline/outline.h"
#include "tools/plainfacets/face_sweep.h"
#include "tools/tintfacets/label_store.h"
#include "tools/tintfacets/labelled_source.h"

namespace slicemesh {

class LabelledSurfaceSweep {
public:
    // Allocates the grids, so that a memory failure comes before any output exists.
    LabelledSurfaceSweep(const LabelStore& store, const SolidBox& box, const LabelTable& shown,
                         const LabelValues& values)
        : store_(store), box_(box), source_(store, box, shown, values), grids_(OutlineForm::labelled, store.extent()) {}

    template <typename Surface>
    void run(Surface& surface) {
        // Each direction's face cells take their values into that direction's label grid.
        struct Forward {
            Surface& surface;
            LabelledSource& source;
            void start_direction(Direction d, Outline& outline) {
                source.use_outline(outline);
                surface.start_direction(d);
            }
            void set_plane(int p) { surface.set_plane(p); }
            void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t value) {
                surface(xa, ya, xb, yb, xc, yc, value);
            }
        } forward{surface, source_};
        sweep_surface(grids_, store_.extent(), box_, source_, forward);
    }

private:
    const LabelStore& store_;
    const SolidBox& box_;
    LabelledSource source_;
    SweepGrids grids_;
};

}  // namespace slicemesh
