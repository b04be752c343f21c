#include "slicein/diagnostics.h"

#include <cstdio>

namespace slicemesh {

namespace {
std::string joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) text += part;
    return text;
}
}  // namespace

void fatal(std::string_view message) { throw FatalError(joined({message, "\n"})); }

void fatal_named(std::string_view name, std::string_view message) {
    throw FatalError(joined({name, " : ", message, ".\n"}));
}

void fatal_in_slice(std::string_view slice_path, std::string_view message) {
    throw FatalError(joined({slice_path, " : ", message, "\n"}));
}

void warn_in_slice(std::string_view slice_path, std::string_view message) {
    std::string text = joined({slice_path, " : ", message, " (warning).\n"});
    std::fputs(text.c_str(), stderr);
}

void gif_fatal(std::string_view text) { throw FatalError(joined({text, " error.\n"})); }

int run_main(int (*body)(int, char**), int argc, char** argv) {
    try {
        return body(argc, argv);
    } catch (const FatalError& e) {
        std::fflush(stdout);
        std::fputs(e.what(), stderr);
        return 1;
    }
}

}  // namespace slicemesh
