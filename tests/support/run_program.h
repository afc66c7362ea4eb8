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

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir);

}  // namespace tavo::test
