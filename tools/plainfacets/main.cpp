#include "slicein/diagnostics.h"
#include "tools/plainfacets/plainfacets.h"

int main(int argc, char** argv) {
    return slicemesh::run_main(slicemesh::run_plainfacets, argc, argv);
}
