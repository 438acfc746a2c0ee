// Transfer progress of marlo: one updating line on standard error for each
// transfer of a connection whose script said "statusbox on". Standard output
// carries only the dialogue, so a caller that captures it gets no progress
// noise.
#pragma once

#include <string>

// Installs the process-wide wait hook of netvo32.
void MarloProgressInstall();
// Ends an open progress line with a line break; nothing when none is open.
void MarloProgressEndLine();
// The text of one progress line: bytes, the percentage when the size is
// known (total > 0), and the mean rate since the transfer began.
std::string FormatMarloProgress(long long done, long long total, double seconds);
