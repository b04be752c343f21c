#pragma once
// The two trigon sinks of the surface extraction. Both take the labelled outline's
// triangles (six corner coordinates and the colour key) and build records with the
// current plane coordinate: one appends them to the current trigon list, the other writes
// them to the current face file and only counts them in the list.

#include <optional>

#include "slicein/out_buffer.h"
#include "vm/face_file.h"
#include "vm/trigon.h"

namespace slicemesh {

class MemoryTrigonSink {
public:
    // The list that receives the trigons of the direction about to be swept.
    void start_direction(TrigonList& list) {
        list_ = &list;
        list.count = 0;
    }
    void set_plane(int plane) { plane_ = plane; }

    void put_trigon_memory(int ua, int va, int ub, int vb, int uc, int vc, int key);
    void operator()(int ua, int va, int ub, int vb, int uc, int vc, int key) {
        put_trigon_memory(ua, va, ub, vb, uc, vc, key);
    }

private:
    TrigonList* list_ = nullptr;  // the current list; set before the first trigon
    int plane_ = 0;               // plane coordinate of the triangles now arriving
};

class FileTrigonSink {
public:
    // Finishes the previous direction's file, then sends the trigons to stream (not owned,
    // it stays open for the read-back) and counts them in list.
    void start_direction(TrigonList& list, std::FILE* stream);
    void set_plane(int plane) { plane_ = plane; }

    void put_trigon_file(int ua, int va, int ub, int vb, int uc, int vc, int key);
    void operator()(int ua, int va, int ub, int vb, int uc, int vc, int key) {
        put_trigon_file(ua, va, ub, vb, uc, vc, key);
    }

    // Hands the last direction's records to its file; a failed write anywhere ends with
    // "trigon data write error.".
    void finish();

private:
    TrigonList* list_ = nullptr;
    int plane_ = 0;
    std::optional<OutBuffer> out_;  // buffers the current face file, when there is one
};

}  // namespace slicemesh
