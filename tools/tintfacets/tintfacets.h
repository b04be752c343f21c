#pragma once

namespace slicemesh {

// Writes the coloured surface of the stack argv[1], argv[2] with the colour table argv[3]
// as binary STL to the last argument, scaled by argv[4..6] when seven arguments are given.
int run_tintfacets(int argc, char** argv);

}  // namespace slicemesh
