#include "slicein/diagnostics.h"
#include "tools/tintconvert/tintconvert.h"

int main(int argc, char** argv) {
    return slicemesh::run_main(slicemesh::run_tintconvert, argc, argv);
}
