#pragma once
// Point nodes of the outlines being traced. They live in one growing array and link by
// index, so a node costs no allocation of its own; a closed polygon's nodes go back to a
// free list and are reused by the next polygon.

#include <cstdint>
#include <new>
#include <vector>

#include "slicein/diagnostics.h"

namespace slicemesh::outline_detail {

using NodeRef = std::uint32_t;
inline constexpr NodeRef no_node = 0;  // slot 0 is never handed out

// x and y are point-grid coordinates; link is the next node of the outline or no_node.
struct PointNode {
    std::uint16_t x;
    std::uint16_t y;
    NodeRef link;
};

inline constexpr const char* list_memory_message = "list memory allocation error.";

class NodePool {
public:
    NodePool() : nodes_(1, PointNode{0, 0, no_node}) {}

    NodeRef make(int x, int y, NodeRef link = no_node) {
        NodeRef ref = free_;
        if (ref != no_node) {
            free_ = nodes_[ref].link;
        } else {
            if (nodes_.size() >= UINT32_MAX) fatal(list_memory_message);
            ref = static_cast<NodeRef>(nodes_.size());
            try {
                nodes_.push_back({});
            } catch (const std::bad_alloc&) {
                fatal(list_memory_message);
            }
        }
        nodes_[ref] = {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), link};
        return ref;
    }
    void release(NodeRef ref) {
        nodes_[ref].link = free_;
        free_ = ref;
    }
    // Forgets every node at once; the array keeps its capacity for the next call.
    void clear() {
        nodes_.resize(1);
        free_ = no_node;
    }

    PointNode& operator[](NodeRef ref) { return nodes_[ref]; }

private:
    std::vector<PointNode> nodes_;  // nodes_[0] is a dummy so that no_node can be 0
    NodeRef free_ = no_node;        // head of the released nodes, chained through link
};

}  // namespace slicemesh::outline_detail
