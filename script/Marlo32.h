// Marlo32: the script library's interface. Each call builds one interpreter,
// runs a script file or one line, and destroys it before returning; nothing
// of it survives the call. The library exports these four functions and
// nothing else; their order is their ordinal, 1 to 4.
#pragma once

#include "ScriptEcho.h"

#include <cstdint>

class CSession;

#define MARLO_API __attribute__((visibility("default")))

extern "C" {

// Runs a script file with output to standard output. 0 when the script ran
// to its end, -1 when it could not be opened or a read of it failed, -999
// when a line is longer than 64 KiB (the run stops there, with a message to
// the client callback even when echo is off), else the code of the statement
// that stopped it.
MARLO_API int Marlo_Execute(const char* scriptPath);

// As Marlo_Execute, with the caller's user data and callbacks; a null
// callback keeps the default.
MARLO_API int Marlo_Execute2(const char* scriptPath, std::intptr_t userData, ScriptEchoCallback clientEcho,
                             ScriptEchoCallback serverEcho);

// Runs one line on a connection the caller opened with netvo32, which stays
// open. -1 when the handle is not connected or the line is empty.
MARLO_API int Marlo_ExecLine(int ftpHandle, const char* line, std::intptr_t userData, ScriptEchoCallback clientEcho,
                             ScriptEchoCallback serverEcho, int echo);

// Runs one line on one of the caller's own sessions, which the library never
// frees or disconnects. The callbacks receive the session's FTP handle as
// their user data; the third argument is not used. -1 for a null session or
// an empty line.
MARLO_API int Marlo_ExecLine2(CSession* session, const char* line, std::intptr_t unused, ScriptEchoCallback clientEcho,
                              ScriptEchoCallback serverEcho, int echo);

}
