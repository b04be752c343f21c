#pragma once
// The coloured surface of a label store: the six face sweeps in order, each plane's
// faces merged per label value (colour word or colour key) and triangulated by the
// labelled outline form, every triangle handed to the caller's surface.
//
// A Surface provides
//   void start_direction(Direction d);   // before the first plane of d
//   void set_plane(int plane);           // the plane coordinate of the triangles to come
//   void operator()(int xa, int ya, int xb, int yb, int xc, int yc, std::int32_t value);

#include <array>
#include <memory>
#include <vector>

#include "outline/outline.h"
#include "tools/plainfacets/face_sweep.h"
#include "tools/tintfacets/label_store.h"
#include "tools/tintfacets/labelled_source.h"

namespace slicemesh {

class LabelledSurfaceSweep {
public:
    // Allocates the grids (one per sweep axis, each of its own reset extent), so that a
    // memory failure comes before any output exists.
    LabelledSurfaceSweep(const LabelStore& store, const SolidBox& box, const LabelTable& shown,
                         const LabelValues& values)
        : store_(store), box_(box), source_(store, box, shown, values) {
        for (int axis = 0; axis < 3; ++axis) {
            SweepLayout layout = sweep_layout(all_directions[static_cast<std::size_t>(2 * axis)], store.extent());
            grids_[static_cast<std::size_t>(axis)] =
                std::make_unique<Outline>(OutlineForm::labelled, layout.columns, layout.rows);
        }
    }

    template <typename Surface>
    void run(Surface& surface) {
        const LabelledTriangleSink sink = make_labelled_sink(surface);
        for (Direction d : all_directions) {
            Outline& outline = *grids_[static_cast<std::size_t>(axis_of(d))];
            source_.use_outline(outline);
            surface.start_direction(d);
            auto planes = [&](int p, int x0, int y0, int x1, int y1) {
                surface.set_plane(p);
                outline.outline_regions(x0, y0, x1, y1, sink);
            };
            face_sweep(d, store_.extent(), box_, outline, source_, planes, scratch_);
        }
    }

private:
    const LabelStore& store_;
    const SolidBox& box_;
    LabelledSource source_;
    std::array<std::unique_ptr<Outline>, 3> grids_;  // indexed by sweep axis
    std::vector<std::uint8_t> scratch_;              // solid flags of one grid row
};

}  // namespace slicemesh
