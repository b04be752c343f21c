#pragma once
// The ordered slice paths of a stack and its geometry, from a directory and a name file
// (name file, inline list "-a.tif b.tif", or a sorted directory listing "-", "--r", "--n",
// "--rn"). Every slice's header is probed while the list is built.

#include <string>
#include <string_view>
#include <vector>

#include "slicein/tiff_slice.h"

namespace slicemesh {

struct SliceList {
    std::vector<std::string> paths;  // slice 0 first; each is the directory prefix plus a name
    int count = 0;                   // N, the number of slices
    int width = 0;                   // W, the largest slice width
    int height = 0;                  // H, the largest slice height
};

// form selects the header probe's limits: the 16-bit form for plainfacets, else 8-bit.
SliceList read_slice_list(std::string_view directory, std::string_view name_file, SampleForm form);

}  // namespace slicemesh
