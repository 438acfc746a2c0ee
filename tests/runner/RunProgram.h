// Runs a program as a child process with its standard output and error
// captured, within a bound.
#pragma once

#include <string>
#include <vector>

namespace runnertest {

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not exit normally (killed at the bound)
    std::string out;
    std::string err;
};

// argv[0] is the program's path. A child still running after `seconds` is
// killed, by its id.
ProgramResult RunProgram(const std::vector<std::string>& argv, int seconds = 20);

}  // namespace runnertest
