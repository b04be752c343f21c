#pragma once
// Names of the six face files of a VM set: "base.mx_m" ... "base.pz_s".

#include <string>
#include <string_view>

#include "stl/face_direction.h"

namespace slicemesh {

// form is 'm' for coloured trigon files, 's' for uncoloured ones.
inline std::string face_file_name(std::string_view base, Direction d, char form) {
    std::string name(base);
    name += '.';
    name += suffix(d);
    name += '_';
    name += form;
    return name;
}

}  // namespace slicemesh
