#pragma once
// The suite's one failure type and the fixed-text diagnostics every program shares.
// Library code never exits: it throws FatalError, and each program's main prints
// what() on stderr and returns 1.

#include <exception>
#include <string>
#include <string_view>

namespace slicemesh {

// what() is the exact text for stderr, line feed included.
class FatalError : public std::exception {
public:
    explicit FatalError(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }
    const std::string& text() const noexcept { return text_; }

private:
    std::string text_;
};

// "message\n"
[[noreturn]] void fatal(std::string_view message);
// "name : message.\n"
[[noreturn]] void fatal_named(std::string_view name, std::string_view message);
// "path : message\n", path being the slice currently read
[[noreturn]] void fatal_in_slice(std::string_view slice_path, std::string_view message);
// "path : message (warning).\n" on stderr; the run goes on
void warn_in_slice(std::string_view slice_path, std::string_view message);
// "text error.\n"
[[noreturn]] void gif_fatal(std::string_view text);

// Runs a program body: returns its status, or prints a FatalError and returns 1.
// Standard output is flushed first so that output written before the failure survives.
int run_main(int (*body)(int, char**), int argc, char** argv);

}  // namespace slicemesh
