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
// success without a reply (quit) that error would be an old one, belonging
// to some earlier statement.
void CScriptEngine::ReportResult(const char* function, const char* keyword, int code)
{
    g_TraceLog.Trace("%s: %s, cc = %d", function, keyword, code);
    const bool tried = code != script_code::kNoSession;
    std::string reply;
    if (tried && (m_bEcho || m_bLogging)) {
        if (m_pCurSession != nullptr)
            reply = m_pCurSession->GetReplyString();
        if (reply.empty() && code != script_code::kOk)
            reply = LibraryLastError();
    }
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
