// The texts by which the engine reports commands and server replies to its
// caller and to the log file.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "TextFormat.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string LibraryLastError()
{
    char buffer[1024] = {};
    const int length = ftp_lasterror(buffer, sizeof buffer);
    if (length <= 0)
        return {};
    return std::string(buffer, strnlen(buffer, std::min(static_cast<size_t>(length), sizeof buffer)));
}

// A negative code of the FTP library: a failure on this side (timeout, lost
// connection, local file, a reply that made no sense), not a refusal by
// the server.
bool IsLocalFailure(int code)
{
    return code <= NETVO_E_CONNECT && code >= NETVO_E_INTERNAL;
}

}  // namespace

void CScriptEngine::EchoCommand(const std::string& text)
{
    if (m_bEcho) {
        const std::string line = "C> " + text + "\r\n";
        m_pfnClientEcho(m_nUserData, line.c_str());
    }
    g_TraceLog.LogAppend("C> %s\n", text.c_str());
}

// Ends every FTP statement: echoes the server's last reply, or, for a
// failure the server said nothing about, the library's last error. After a
// local failure the last reply on the connection is an older one (the 150
// before a transfer broke off, the 227 before a timeout) and would tell the
// wrong story, so the failure's own text is shown instead. After a success
// without a reply (quit) the library's error would be an old one,
// belonging to some earlier statement. `successReply`, when given and not
// empty, is the reply that stands for a success (a login's, kept before any
// command the session sends on its own after it).
void CScriptEngine::ReportResult(const char* function, const char* keyword, int code,
                                 const std::string* successReply)
{
    g_TraceLog.Trace("%s: %s, cc = %d", function, keyword, code);
    const bool tried = code != script_code::kNoSession;
    std::string reply;
    if (tried && (m_bEcho || m_bLogging)) {
        if (IsLocalFailure(code)) {
            if (!m_strOwnFailure.empty())
                reply = m_strOwnFailure;
            else if (m_pCurSession != nullptr)
                reply = m_pCurSession->GetLastErrorString();
            else
                reply = LibraryLastError();
            if (reply.empty())
                reply = netvo_strerror(code);
        } else {
            if (code == script_code::kOk && successReply != nullptr && !successReply->empty())
                reply = *successReply;
            else if (m_pCurSession != nullptr)
                reply = m_pCurSession->GetReplyString();
            if (reply.empty() && code != script_code::kOk)
                reply = LibraryLastError();
        }
    }
    m_strOwnFailure.clear();
    if (m_bEcho && tried) {
        std::string text = reply;
        if (!text.empty()) {
            if (!text.ends_with(kCrLf))
                text += kCrLf;
            text.insert(0, "S> ");
        }
        m_pfnServerEcho(m_nUserData, text.c_str());
    }
    if (m_bLogging)
        g_TraceLog.LogAppend("S> %s\n", reply.c_str());
}

void CScriptEngine::EchoReply(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    if (!text.ends_with(kCrLf))
        text += kCrLf;
    text.insert(0, "S> ");
    g_TraceLog.Trace("%s", text.c_str());
    if (m_bEcho)
        m_pfnServerEcho(m_nUserData, text.c_str());
    g_TraceLog.LogAppend("%s", text.c_str());
}

int CScriptEngine::SyntaxError(const std::string& keyword, const std::string& expected, const std::string& found)
{
    EchoCommand(keyword + ": syntax error. Expecting \"" + expected + "\", found \"" + found + "\".");
    return script_code::kSyntaxError;
}
