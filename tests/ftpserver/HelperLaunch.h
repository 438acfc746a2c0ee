// Starting the test bed's Python helpers and waiting until they listen.
#pragma once

#include "ChildProcess.h"

#include <string>
#include <vector>

namespace testbed::detail {

// The command line running one of the helper scripts with the system Python.
std::vector<std::string> PythonCommand(const char* script);

// Starts the helper and waits (10 s at most) for its "READY <port>" line;
// returns the port. On failure the helper is stopped and
// std::runtime_error says what went wrong.
int LaunchHelper(ChildProcess& process, const std::string& name, const std::vector<std::string>& argv);

}  // namespace testbed::detail
