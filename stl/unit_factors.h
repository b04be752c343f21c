#pragma once
// The edge lengths of a voxel along x, y and z, by which the binary STL writers scale
// the integer corner coordinates.

#include <cstdlib>

namespace slicemesh {

struct UnitFactors {
    double x = 1.0;
    double y = 1.0;
    double z = 1.0;
};

// The three command-line texts starting at args[0], read with the standard text-to-double
// conversion: text that is not a number gives 0.0, and no range is enforced.
inline UnitFactors unit_factors_from(char* const* args) {
    return {std::strtod(args[0], nullptr), std::strtod(args[1], nullptr), std::strtod(args[2], nullptr)};
}

}  // namespace slicemesh
