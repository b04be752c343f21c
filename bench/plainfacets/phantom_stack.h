#pragma once
// Generated benchmark stacks: a few labelled blobs, or a porous solid (a box with many
// spherical pores). The outermost voxel layer stays empty.

#include <cstdint>
#include <string>
#include <vector>

namespace slicemesh::bench {

enum class Phantom { blobs, porous };

class PhantomStack {
public:
    PhantomStack(Phantom kind, int size);
    int size() const { return size_; }
    // Labels of slice z, row-major, size x size.
    std::vector<std::uint16_t> slice(int z) const;
    // Writes the stack as 8-bit uncompressed TIFF slices z0000.tif ... and names.txt into
    // dir; returns the name file's path.
    std::string write(const std::string& dir) const;

private:
    struct Ball {
        double x, y, z, rx, ry, rz;
        std::uint16_t label;
    };
    Phantom kind_;
    int size_;
    std::vector<Ball> balls_;  // blobs: labelled ellipsoids; porous: the pores
};

}  // namespace slicemesh::bench
