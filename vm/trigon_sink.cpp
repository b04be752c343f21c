#include "vm/trigon_sink.h"

#include <new>

#include "slicein/diagnostics.h"

namespace slicemesh {

void MemoryTrigonSink::put_trigon_memory(int ua, int va, int ub, int vb, int uc, int vc, int key) {
    // Amortised growth: one reallocation per trigon would make large surfaces quadratic.
    try {
        list_->records.push_back(make_trigon(ua, va, ub, vb, uc, vc, plane_, key));
    } catch (const std::bad_alloc&) {
        fatal(trigon_memory_error);
    }
    ++list_->count;
}

void FileTrigonSink::start_direction(TrigonList& list, std::FILE* stream) {
    finish();
    list_ = &list;
    list.count = 0;
    out_.emplace(stream);
}

void FileTrigonSink::put_trigon_file(int ua, int va, int ub, int vb, int uc, int vc, int key) {
    TrigonRecord r = make_trigon(ua, va, ub, vb, uc, vc, plane_, key);
    out_->write(r.data(), r.size());
    ++list_->count;
}

void FileTrigonSink::finish() {
    if (out_ && !out_->flush()) fatal(trigon_write_error);
    out_.reset();
}

}  // namespace slicemesh
