// FTP statements that act on the current session: logging in and out, the
// working folder and the transfer type.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

// login <host> [<user> [<password> [<account>]]]. A number token ends the
// arguments: a numeric password must be quoted.
int CScriptEngine::ExecLogin(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLogin: Begin");
    std::string args[4];
    int code;
    if (ReadLoginTexts(args) == 0) {
        code = SyntaxError("Login", "<string>", m_Tokenizer.GetText());
    } else {
        // A login is repeated as it is; there is nothing to reconnect yet.
        code = RetryLoop(false, [&](int) {
            return m_pCurSession->Login(args[0], args[1], args[2], args[3], false, false);
        });
    }
    // Reported by the server's answer to the login itself.
    value.SetInteger(code);
    ReportResult("ExecLogin", "login", code, &m_pCurSession->m_strLoginReply);
    return code;
}

// gatelogin <host> [<user> [<password> [<account>]]]: through the firewall
// this session is logged in to; remembered for a rebuilt connection.
int CScriptEngine::ExecGateLogin(CScriptValue& value)
{
    g_TraceLog.Trace("ExecGateLogin: Begin");
    std::string args[4];
    int code;
    if (ReadLoginTexts(args) == 0) {
        code = SyntaxError("GateLogin", "<string>", m_Tokenizer.GetText());
    } else {
        code = RetryLoop(true, [&](int) {
            return m_pCurSession->GateLogin(args[0], args[1], args[2], args[3], false, false);
        });
    }
    value.SetInteger(code);
    ReportResult("ExecGateLogin", "GateLogin", code, &m_pCurSession->m_strLoginReply);
    return code;
}

int CScriptEngine::ExecQuit(CScriptValue& value)
{
    g_TraceLog.Trace("ExecQuit: Begin");
    const int code = m_pCurSession->Disconnect();
    value.SetInteger(code);
    ReportResult("ExecQuit", "Quit", code);
    return code;
}

int CScriptEngine::ExecPwd(CScriptValue& value)
{
    g_TraceLog.Trace("ExecPwd: Begin");
    const int code = RetryLoop(true, [&](int) { return m_pCurSession->SetPwd(); });
    if (code == 0)
        EchoReply("%s", m_pCurSession->m_strCurDir.c_str());
    value.SetInteger(code);
    ReportResult("ExecPwd", "Pwd", code);
    return code;
}

// cd <rest>: the whole rest of the line is the path, blanks and quotes
// included.
int CScriptEngine::ExecCd(CScriptValue& value)
{
    g_TraceLog.Trace("ExecCd: Begin");
    int code;
    if (m_Tokenizer.GetRestOfLine() == tok::End) {
        code = SyntaxError("Cd", "<string>", m_Tokenizer.GetText());
    } else {
        const std::string path = m_Tokenizer.GetText();
        code = RetryLoop(true, [&](int) { return m_pCurSession->Cd(path, true); });
    }
    value.SetInteger(code);
    ReportResult("ExecCd", "Cd", code);
    return code;
}

// cdup, ascii and binary leave the value untouched.
int CScriptEngine::ExecCdup(CScriptValue&)
{
    const int code = m_pCurSession->Cdup();
    ReportResult("ExecuteLine", "cdup", code);
    return code;
}

int CScriptEngine::ExecAscii(CScriptValue&)
{
    const int code = m_pCurSession->SetAscii();
    ReportResult("ExecuteLine", "ascii", code);
    return code;
}

int CScriptEngine::ExecBinary(CScriptValue&)
{
    const int code = m_pCurSession->SetBinary();
    ReportResult("ExecuteLine", "binary", code);
    return code;
}
