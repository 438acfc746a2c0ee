// Connection settings: data connection mode and port, progress reporting,
// the local receive folder and the time-outs.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <cctype>

// passive and active leave the value untouched. The session records the mode
// so that a rebuilt connection gets it again.
int CScriptEngine::ExecPassive(CScriptValue&)
{
    const int code = m_pCurSession->SetPassive(1);
    ReportResult("ExecuteLine", "passive", code);
    return code;
}

int CScriptEngine::ExecActive(CScriptValue&)
{
    const int code = m_pCurSession->SetPassive(0);
    ReportResult("ExecuteLine", "active", code);
    return code;
}

// secure off|auto|explicit|implicit: the encryption of the session's next
// login. The mode names are plain words rather than keywords, so that no
// script that uses them as names or texts changes its meaning.
int CScriptEngine::ExecSecure(CScriptValue& value)
{
    g_TraceLog.Trace("ExecSecure: Begin");
    const std::int32_t token = m_Tokenizer.GetNextToken();
    std::string word = token == tok::Off ? std::string("off") : m_Tokenizer.GetText();
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int mode = -1;
    if (token == tok::Off)
        mode = NETVO_SECURE_NONE;
    else if (token == tok::String && word == "auto")
        mode = NETVO_SECURE_AUTO;
    else if (token == tok::String && word == "explicit")
        mode = NETVO_SECURE_EXPLICIT;
    else if (token == tok::String && word == "implicit")
        mode = NETVO_SECURE_IMPLICIT;
    const int code = mode < 0 ? SyntaxError("Secure", "[off | auto | explicit | implicit]", m_Tokenizer.GetText())
                              : m_pCurSession->SetSecurity(mode);
    return EndStatement(value, "ExecSecure", "Secure", code);
}

// statusbox on|off: the library then reports the transfer progress of this
// connection to the process's wait hook.
int CScriptEngine::ExecStatusBox(CScriptValue& value)
{
    g_TraceLog.Trace("ExecStatusBox: Begin");
    const std::int32_t token = m_Tokenizer.GetNextToken();
    int code;
    if (token == tok::On || token == tok::Off)
        code = m_pCurSession->SetStatusBox(token == tok::On);  // kept for a new login
    else
        code = SyntaxError("Statusbox", "[on | off]", m_Tokenizer.GetText());
    return EndStatement(value, "ExecStatusBox", "StatusBox", code);
}

// localpath [<folder>]: without a folder the library's choice applies again.
int CScriptEngine::ExecLocalPath(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLocalPath: Begin");
    std::string path;
    int code;
    if (ReadText(path)) {
        g_TraceLog.Trace("ExecLocalPath: path = %s", path.c_str());
        code = RetryLoop(true, [&](int) { return m_pCurSession->SetLocalPath(path); });
    } else {
        g_TraceLog.Trace("ExecLocalPath: clear path");
        code = m_pCurSession->SetLocalPath("");
    }
    return EndStatement(value, "ExecLocalPath", "LocalPath", code);
}

int CScriptEngine::ExecLocalDataPort(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLocalDataPort: Begin");
    int port = 0;
    int code;
    if (!ReadInteger(port))
        code = SyntaxError("DataPort", "<integer>", m_Tokenizer.GetText());
    else
        code = RetryLoop(true, [&](int) { return m_pCurSession->SetDataPort(port); });
    return EndStatement(value, "ExecLocalDataPort", "DataPort", code);
}

// defaulttimeout <seconds>: for every connection of the process.
int CScriptEngine::ExecDefaultTimeout(CScriptValue& value)
{
    g_TraceLog.Trace("ExecDefaultTimeout: Begin");
    int seconds = 0;
    int code = script_code::kOk;
    if (!ReadInteger(seconds)) {
        code = SyntaxError("DefaultTimeout", "<integer>", m_Tokenizer.GetText());
    } else {
        g_TraceLog.Trace("ExecDefaultTimeout: timeout = %d", seconds);
        netvo_setdefaulttimeout(seconds);
    }
    value.SetInteger(0);  // the library's setter has no result
    ReportResult("ExecDefaultTimeout", "DefaultTimeout", code);
    return code;
}

// receivetimeout <seconds>: for this connection, kept for a rebuilt one.
int CScriptEngine::ExecReceiveTimeout(CScriptValue& value)
{
    g_TraceLog.Trace("ExecReceiveTimeout: Begin");
    int seconds = 0;
    int code = script_code::kOk;
    if (!ReadInteger(seconds)) {
        code = SyntaxError("ReceiveTimeout", "<integer>", m_Tokenizer.GetText());
        value.SetInteger(0);
    } else {
        g_TraceLog.Trace("ExecReceiveTimeout: timeout = %d", seconds);
        value.SetInteger(m_pCurSession->SetReceiveTimeout(seconds));
    }
    ReportResult("ExecReceiveTimeout", "ReceiveTimeout", code);
    return code;
}
