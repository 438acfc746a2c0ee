// The callbacks through which the script library reports to its caller.
#pragma once

#include <cstdint>

// Receives the caller's user data and a text that is valid only during the
// call; the result is ignored.
using ScriptEchoCallback = int (*)(std::intptr_t userData, const char* text);
