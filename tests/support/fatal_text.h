#pragma once
// fatal_text(callable): the exact stderr text of the FatalError the call raises, or
// "<no error>" when it returns normally.

#include <string>

#include "slicein/diagnostics.h"

namespace slicemesh::test {

template <typename F>
std::string fatal_text(F&& call) {
    try {
        call();
    } catch (const FatalError& e) {
        return e.text();
    }
    return "<no error>";
}

}  // namespace slicemesh::test
