#pragma once
// Runs a built program of the suite as a child process: arguments and standard input
// in; standard output, standard error and the exit status out.

#include <string>
#include <vector>

namespace slicemesh::test {

struct ProgramResult {
    std::string out;   // everything written on stdout
    std::string err;   // everything written on stderr
    int status = -1;   // exit status, or 128 + signal number when killed
};

// program is a name in the build's bin directory (or a path containing '/').
ProgramResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& stdin_text = "");

// Path of a program in the build's bin directory.
std::string program_path(const std::string& program);

}  // namespace slicemesh::test
