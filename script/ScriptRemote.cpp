// Named sessions and the copies from one server to another: remote put and
// remote append. The file goes from the first named session's server to the
// second's without passing through this machine.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

// The FTP handle of the first listed session of that name that has one;
// -1 when no session has the name. Never creates a session.
int CScriptEngine::FindFtpHandle(const std::string& name)
{
    g_TraceLog.Trace("FindFtpHandle: Begin");
    int handle = -1;
    for (const std::unique_ptr<CSession>& session : m_Sessions) {
        if (session->m_strName != name)
            continue;
        handle = session->GetFtpHandle();
        if (handle > 0)
            break;
    }
    g_TraceLog.Trace("FindFtpHandle: End. hndl = %d", handle);
    return handle;
}

// Two session names: the source, then the destination.
int CScriptEngine::GetRemoteSessions(std::string& source, std::string& dest, int& sourceHandle, int& destHandle)
{
    g_TraceLog.Trace("GetRemoteSessions: Begin");
    if (m_Tokenizer.GetNextToken() != tok::SessionName)
        return SyntaxError("Remote ...", "<session>", m_Tokenizer.GetText());
    source = m_Tokenizer.GetText();
    sourceHandle = FindFtpHandle(source);
    if (m_Tokenizer.GetNextToken() != tok::SessionName)
        return SyntaxError("Remote ...", "<session>", m_Tokenizer.GetText());
    dest = m_Tokenizer.GetText();
    destHandle = FindFtpHandle(dest);
    return sourceHandle <= 0 || destHandle <= 0 ? script_code::kNoSession : script_code::kOk;
}

// remote put|append ...
int CScriptEngine::ExecRemote(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRemote: Begin");
    EchoCommand("--> Remote");
    value.Reset();
    switch (m_Tokenizer.GetNextToken()) {
    case tok::Put:
        return ExecRemotePut(value);
    case tok::Append:
        return ExecRemoteAppend(value);
    default: {
        const int code = SyntaxError("Remote", "[Put | Append]", m_Tokenizer.GetText());
        value.SetInteger(code);
        return code;
    }
    }
}

// remote put #source #dest <source file> [<dest file>] [@ <offset>]
int CScriptEngine::ExecRemotePut(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRemotePut: Begin");
    const int code = RemoteTransfer("Put", false);
    value.SetInteger(code);
    ReportResult("ExecRemotePut", "RemotePut", code);
    return code;
}

// remote append #source #dest <source file> [<dest file>] [@ <offset>]
int CScriptEngine::ExecRemoteAppend(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRemoteAppend: Begin");
    const int code = RemoteTransfer("Append", true);
    value.SetInteger(code);
    ReportResult("ExecRemoteAppend", "RemoteAppend", code);
    return code;
}

// Whatever kept the sessions from being found, nothing is sent and the code
// is -99. A repeat looks the handles up again: a session whose rebuild
// failed logs in anew on another handle.
int CScriptEngine::RemoteTransfer(const char* keyword, bool append)
{
    std::string source;
    std::string dest;
    int sourceHandle = 0;
    int destHandle = 0;
    if (GetRemoteSessions(source, dest, sourceHandle, destHandle) != script_code::kOk)
        return script_code::kNoSession;
    TransferArgs args;
    int code = ReadTransferArgs(keyword, args, append ? "<integer>" : "integer");
    if (code == script_code::kOk && append && m_bRestartMode && !args.hasOffset)
        code = SyntaxError("... Append ...", "@", m_Tokenizer.GetText());
    if (code != script_code::kOk)
        return code;
    return RetryLoop(true, [&](int attempt) {
        if (attempt > 0) {
            sourceHandle = FindFtpHandle(source);
            destHandle = FindFtpHandle(dest);
            if (sourceHandle <= 0 || destHandle <= 0)
                return script_code::kNoSession;
        }
        const char* from = args.first.c_str();
        const char* to = args.second.c_str();
        CBusyBracket busy(*m_pCurSession);
        if (append) {
            return args.offset > 0 ? ftp_RestartRemoteAppendAt(sourceHandle, destHandle, from, to, args.offset, 1)
                                   : ftp_RemoteAppend(sourceHandle, destHandle, from, to, 1);
        }
        if (args.offset > 0)
            return ftp_RestartRemotePutAt(sourceHandle, destHandle, from, to, args.offset, 1);
        return ftp_RemotePut(sourceHandle, destHandle, from, to, 1, ResumeOnAttempt(attempt) ? 1 : 0);
    });
}

// test quit [#name]: closes a connection at once. With a name, behind the
// session's back: it finds the connection lost at its next check, which is
// what scripts use this for.
int CScriptEngine::Test(CScriptValue&)
{
    g_TraceLog.Trace("Test: Begin");
    if (m_Tokenizer.GetNextToken() == tok::Quit) {
        if (m_Tokenizer.GetNextToken() == tok::SessionName) {
            const int handle = FindFtpHandle(m_Tokenizer.GetText());
            if (handle > 0)
                ftp_quit(handle);
        } else if (m_pCurSession != nullptr) {
            m_pCurSession->Disconnect();
        }
    }
    g_TraceLog.Trace("Test: End.");
    return script_code::kOk;
}
