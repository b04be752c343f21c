#pragma once

namespace slicemesh {

// Converts the "_m" VM file set named by argv[1] into a binary STL with colour words,
// optionally scaled by argv[2..4]; the last argument names the output ("-..." = stdout).
int run_tintconvert(int argc, char** argv);

}  // namespace slicemesh
