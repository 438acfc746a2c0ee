// Shared by the session tests: capturing what the trace log hands its output
// and reading the server's command log.
#pragma once

#include "TestFiles.h"

#include "TraceCapture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sessiontest {

using testsupport::TraceCapture;

// The commands received since `from` (an earlier size of the log).
std::vector<std::string> CommandsSince(const std::vector<std::string>& all, size_t from);
// Index of the first command at or after `from` that starts with `prefix`, or -1.
int FindCommand(const std::vector<std::string>& commands, const std::string& prefix, int from = 0);

using testsupport::ReadFile;
using testsupport::WriteFile;

}  // namespace sessiontest
