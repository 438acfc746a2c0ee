// Helpers shared by the session's source files.
#pragma once

#include "FtpSession.h"

#include <netvo32.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

namespace session_detail {

inline std::time_t Now()
{
    return std::time(nullptr);
}

// Makes one library call inside the session's busy bracket.
template <class Call>
auto BusyCall(CSession& session, Call&& call)
{
    CBusyBracket busy(session);
    return call();
}

// Text that a library call wrote into a fixed buffer: at most `reported`
// bytes, never past the buffer and never past a terminating NUL, whatever
// the call claims.
inline std::string BufferText(const char* buffer, size_t size, int reported)
{
    if (reported <= 0)
        return {};
    const size_t limit = std::min(static_cast<size_t>(reported), size);
    return std::string(buffer, strnlen(buffer, limit));
}

// The last reply the server sent on a handle, as text, without showing it.
inline std::string LastReplyText(int handle)
{
    char buffer[1024] = {};
    const int length = ftp_copyreplystr(handle, buffer, sizeof buffer);
    return BufferText(buffer, sizeof buffer, length);
}

}  // namespace session_detail
