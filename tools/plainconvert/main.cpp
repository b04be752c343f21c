#include "slicein/diagnostics.h"
#include "tools/plainconvert/plainconvert.h"

int main(int argc, char** argv) {
    return slicemesh::run_main(slicemesh::run_plainconvert, argc, argv);
}
