// Result codes and the per-thread text of the last failure.
#pragma once

#include "netvo32.h"

#include <string>
#include <string_view>

namespace netvo {

// Internal calls return these ints too: 0, a negative NETVO_E_* code, or a
// server reply code of 400 and above.
const char* ResultText(int code);

// Remembers the failure text for ftp_lasterror and passes the code through.
int SetLastError(int code, std::string_view text);
const std::string& LastError();

}  // namespace netvo
