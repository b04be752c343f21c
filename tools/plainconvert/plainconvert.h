#pragma once

namespace slicemesh {

// Prints the ASCII STL of the "_s" VM file set named by argv[1] on stdout.
int run_plainconvert(int argc, char** argv);

}  // namespace slicemesh
