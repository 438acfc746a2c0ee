// Single-file transfers: get, put, append, and restart, which makes the
// transfer after it resume.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

// get <remote> [<local>] [@ <offset>]
int CScriptEngine::ExecGet(CScriptValue& value)
{
    g_TraceLog.Trace("ExecGet: Begin");
    TransferArgs args;
    int code = ReadTransferArgs("Get", args);
    if (code == script_code::kOk) {
        code = RetryLoop(true, [&](int attempt) {
            if (args.offset > 0)
                return m_pCurSession->RestartGetFile(args.first, args.second, args.offset, TransferAuto);
            if (ResumeOnAttempt(attempt))
                return m_pCurSession->RestartGetFile(args.first, args.second, -1, TransferAuto);
            return m_pCurSession->GetFile(args.first, args.second, TransferAuto);
        });
    }
    return EndStatement(value, "ExecGet", "Get", code);
}

// put <local> [<remote>] [@ <offset>]
int CScriptEngine::ExecPut(CScriptValue& value)
{
    g_TraceLog.Trace("ExecPut: Begin");
    TransferArgs args;
    int code = ReadTransferArgs("Put", args);
    if (code == script_code::kOk) {
        code = RetryLoop(true, [&](int attempt) {
            if (args.offset > 0)
                return m_pCurSession->RestartPutFile(args.first, args.second, args.offset, TransferAuto);
            if (ResumeOnAttempt(attempt))
                return m_pCurSession->RestartPutFile(args.first, args.second, -1, TransferAuto);
            return m_pCurSession->PutFile(args.first, args.second, TransferAuto);
        });
    }
    return EndStatement(value, "ExecPut", "Put", code);
}

// append <local> [<remote>] [@ <offset>]. An append cannot find its own
// offset, so in restart mode it must be given one.
int CScriptEngine::ExecAppend(CScriptValue& value)
{
    g_TraceLog.Trace("ExecAppend: Begin");
    TransferArgs args;
    int code = ReadTransferArgs("Append", args);
    if (code == script_code::kOk && m_bRestartMode && !args.hasOffset)
        code = SyntaxError("... Append ...", "@", m_Tokenizer.GetText());
    if (code == script_code::kOk) {
        code = RetryLoop(true, [&](int) {
            if (args.offset > 0) {
                return LibraryCall([&](int handle) {
                    return ftp_RestartAppendAt(handle, args.first.c_str(), args.second.c_str(), args.offset);
                });
            }
            return m_pCurSession->AppendFile(args.first, args.second, TransferAuto);
        });
    }
    return EndStatement(value, "ExecAppend", "Append", code);
}

// restart get|put|append|remote ...: the inner statement reports for itself.
int CScriptEngine::ExecRestart(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRestart: Begin");
    EchoCommand("--> Restart");
    value.Reset();
    m_bRestartMode = true;
    int code;
    switch (m_Tokenizer.GetNextToken()) {
    case tok::Get:
        code = ExecGet(value);
        break;
    case tok::Put:
        code = ExecPut(value);
        break;
    case tok::Append:
        code = ExecAppend(value);
        break;
    case tok::Remote:
        code = ExecRemote(value);
        break;
    default:
        code = SyntaxError("Restart", "[Append | Get | Put | Remote]", m_Tokenizer.GetText());
        value.SetInteger(code);
        break;
    }
    m_bRestartMode = false;
    return code;
}

// mget <pattern>: the library picks the local names, each only as a last
// path component.
int CScriptEngine::ExecMGet(CScriptValue& value)
{
    g_TraceLog.Trace("ExecMGet: Begin");
    std::string pattern;
    int code;
    if (!ReadText(pattern)) {
        code = SyntaxError("MGet", "<string>", m_Tokenizer.GetText());
    } else {
        code = RetryLoop(true, [&](int) {
            return LibraryCall([&](int handle) { return ftp_mget(handle, pattern.c_str()); });
        });
    }
    return EndStatement(value, "ExecMGet", "Mget", code);
}

int CScriptEngine::ExecMPut(CScriptValue& value)
{
    g_TraceLog.Trace("ExecMPut: Begin");
    std::string pattern;
    int code;
    if (!ReadText(pattern)) {
        code = SyntaxError("MPut", "<string>", m_Tokenizer.GetText());
    } else {
        code = RetryLoop(true, [&](int) {
            return LibraryCall([&](int handle) { return ftp_mput(handle, pattern.c_str(), 0); });
        });
    }
    return EndStatement(value, "ExecMPut", "MPut", code);
}
