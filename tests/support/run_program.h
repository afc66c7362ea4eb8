// Runs a program as a user would from a shell (but with no shell between):
// its own arguments, a working folder, and what it printed.
#pragma once

#include <string>
#include <vector>

namespace tavo::test {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Where the program's standard input comes from and its standard output goes
// instead of being captured (such as /dev/full); empty for the usual.
struct Streams {
    std::string in = "/dev/null";
    std::string out;
};

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir, const Streams& streams = {});

}  // namespace tavo::test
