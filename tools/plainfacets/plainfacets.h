#pragma once

namespace slicemesh {

// plainfacets directory nameFile rangeList: the surface of the voxels whose labels the
// range list selects, as ASCII STL on stdout.
int run_plainfacets(int argc, char** argv);

}  // namespace slicemesh
