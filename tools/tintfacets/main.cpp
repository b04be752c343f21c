#include "slicein/diagnostics.h"
#include "tools/tintfacets/tintfacets.h"

int main(int argc, char** argv) {
    return slicemesh::run_main(slicemesh::run_tintfacets, argc, argv);
}
