// site and quote: the rest of the line goes to the server as written,
// quotes and blanks included.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

namespace {

constexpr int kReplySize = 1024;

}  // namespace

int CScriptEngine::ExecSite(CScriptValue& value)
{
    g_TraceLog.Trace("ExecSite: Begin");
    int code;
    if (m_Tokenizer.GetRestOfLine() == tok::End) {
        code = SyntaxError("Site", "<string>", m_Tokenizer.GetText());
    } else {
        const std::string text = m_Tokenizer.GetText();
        code = RetryLoop(true, [&](int) {
            return LibraryCall([&](int handle) { return ftp_site(handle, text.c_str()); });
        });
    }
    return EndStatement(value, "ExecSite", "site", code);
}

// On success with echo on, the server's reply text goes to the callback as
// the library gave it.
int CScriptEngine::ExecQuote(CScriptValue& value)
{
    g_TraceLog.Trace("ExecQuote: Begin");
    int code;
    if (m_Tokenizer.GetRestOfLine() == tok::End) {
        code = SyntaxError("Quote", "<string>", m_Tokenizer.GetText());
    } else {
        const std::string command = m_Tokenizer.GetText();
        char reply[kReplySize + 1] = {};
        code = RetryLoop(true, [&](int) {
            const int rc = LibraryCall([&](int handle) { return ftp_quote(handle, command.c_str(), reply, kReplySize); });
            return rc == 2 ? script_code::kOk : rc;  // a positive reply class
        });
        if (code == script_code::kOk && m_bEcho)
            m_pfnServerEcho(m_nUserData, reply);
    }
    return EndStatement(value, "ExecQuote", "Quote", code);
}
