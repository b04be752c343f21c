// close(): one polygon of the scan, triangulated as soon as it is complete. Every polygon
// the scan closes is monotone in the row direction, so one upward sweep with a stack of
// reflex vertices cuts it into triangles.

#include <new>

#include "outline/outline_scan.h"

namespace slicemesh::outline_detail {

void OutlineScan::close(NodeRef head, std::int32_t label) {
    // The walk from head ends on a node lying on head's point: it is dropped, the others
    // are the vertices in walk order. Coordinates are copied so that every node can go
    // back to the pool at once.
    vertices_.clear();
    try {
        for (NodeRef r = head; r != no_node;) {
            NodeRef next = nodes_[r].link;
            if (next != no_node) vertices_.push_back({nodes_[r].x, nodes_[r].y});
            nodes_.release(r);
            r = next;
        }
        stack_.reserve(vertices_.size());
    } catch (const std::bad_alloc&) {
        fatal(array_memory_message);
    }
    const std::vector<Vertex>& v = vertices_;
    const std::size_t k = v.size();
    if (k < 3) return;  // the scan never closes less than a triangle

    // V[0] lies on the lowest point row; two cursors climb its two chains.
    std::size_t f = 1;
    std::size_t b = k - 1;
    std::uint32_t u;
    bool u_forward;
    if (v[1].y > v[k - 1].y) {
        u = 1;
        f = 2;
        u_forward = true;
    } else {
        u = static_cast<std::uint32_t>(k - 1);
        b = k - 2;
        u_forward = false;
    }
    stack_.clear();
    stack_.push_back(0);

    // Fan from w over u and the whole stack, top first; the stack is left empty.
    auto fan = [&](std::uint32_t w) {
        std::uint32_t previous = u;
        while (!stack_.empty()) {
            std::uint32_t s = stack_.back();
            stack_.pop_back();
            emit(s, previous, w, label);
            previous = s;
        }
    };

    while (f != b) {
        std::uint32_t next;
        bool forward;
        if (v[f].y > v[b].y) {  // equal rows take the backward chain
            next = static_cast<std::uint32_t>(f++);
            forward = true;
        } else {
            next = static_cast<std::uint32_t>(b--);
            forward = false;
        }
        if (forward != u_forward) {
            fan(next);
            stack_.push_back(u);
        } else {
            std::uint32_t p = u;
            while (!stack_.empty()) {
                std::uint32_t s = stack_.back();
                std::int64_t ax = v[p].x - v[next].x, ay = v[p].y - v[next].y;
                std::int64_t dx = v[s].x - v[next].x, dy = v[s].y - v[next].y;
                bool cuts = forward ? ay * dx > ax * dy : ay * dx < ax * dy;
                if (!cuts) break;
                emit(s, p, next, label);
                stack_.pop_back();
                p = s;
            }
            stack_.push_back(p);
        }
        u = next;
        u_forward = forward;
    }
    fan(static_cast<std::uint32_t>(f));
}

void OutlineScan::emit(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::int32_t label) {
    const Vertex& p = vertices_[a];
    const Vertex& q = vertices_[b];
    const Vertex& r = vertices_[c];
    if (labelled_) {
        // Doubled coordinates: 2k and 2k + 1 both halve to cell corner k.
        labelled_sink_.emit(labelled_sink_.context, static_cast<int>(p.x >> 1), static_cast<int>(p.y >> 1),
                            static_cast<int>(q.x >> 1), static_cast<int>(q.y >> 1), static_cast<int>(r.x >> 1),
                            static_cast<int>(r.y >> 1), label);
    } else {
        plain_sink_.emit(plain_sink_.context, static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(q.x),
                         static_cast<int>(q.y), static_cast<int>(r.x), static_cast<int>(r.y));
    }
}

}  // namespace slicemesh::outline_detail
