// The echo callbacks of marlo: the dialogue on standard output.
#pragma once

#include <cstdint>

// Each prints its text behind its prefix ("Client=> ", "Server=> ") and a
// line break, and ends a progress line on standard error first so that the
// two never share a terminal line.
int MarloClientEcho(std::intptr_t userData, const char* text);
int MarloServerEcho(std::intptr_t userData, const char* text);
