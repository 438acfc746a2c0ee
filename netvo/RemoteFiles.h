// Commands on remote folders and files that need no data connection.
#pragma once

#include "Session.h"

#include <string>

namespace netvo {

// Sends "verb argument" (refusing CR/LF in the argument); 0 for 2xx.
int SimpleCommand(Session& s, const std::string& verb, const char* argument);
int Rename(Session& s, const char* from, const char* to);
int PrintDirectory(Session& s, std::string& dir);
// 1 exists, 0 does not; otherwise the failure: a negative code, or the
// reply code of a refused helper command (TYPE, PWD).
int Exists(Session& s, const char* path);
int FileSize(Session& s, const char* path, long long& size);
// Where a resumed upload or copy to `name` starts: the server's size of it,
// 0 when it has no such file. Leaves the session in binary mode.
int ResumeOffset(Session& s, Op& op, const std::string& name, long long& offset);
int FileTime(Session& s, const char* path, std::string& stamp);
// 0 for a positive reply, the reply code for a negative one.
int Quote(Session& s, const char* line, std::string& text);

}  // namespace netvo
