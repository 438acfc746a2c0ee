// Server-to-server copies: one server connects to the other's passive port
// and the file never passes through this machine.
#pragma once

#include "Session.h"

namespace netvo {

enum class RemoteMode { Store, Append };

// offset < 0: resume from the destination's SIZE; 0: the whole file.
int RemoteCopy(Session& src, Session& dest, const char* source, const char* destName, bool binary,
               RemoteMode mode, long long offset);

}  // namespace netvo
