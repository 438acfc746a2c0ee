// local unique and store unique: transfers that never overwrite a file, on
// the local side (downloads) or on the server (STOU).
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <netvo32.h>

int CScriptEngine::ExecLocalUnique(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLocalUnique: Begin");
    const int code = SetUniqueMode("Local", m_pCurSession->m_bLocalUnique, &CSession::SetLocalUnique, ftp_localunique);
    return EndStatement(value, "ExecLocalUnique", "Local Unique", code);
}

int CScriptEngine::ExecStoreUnique(CScriptValue& value)
{
    g_TraceLog.Trace("ExecStoreUnique: Begin");
    const int code = SetUniqueMode("Store", m_pCurSession->m_bStoreUnique, &CSession::SetStoreUnique, ftp_storeunique);
    return EndStatement(value, "ExecStoreUnique", "StoreUnique", code);
}

// "unique on" and "unique off" are idempotent: the library call only toggles,
// so the session's record decides whether a toggle is needed. "unique" alone
// toggles.
int CScriptEngine::SetUniqueMode(const char* keyword, bool& recorded, int (CSession::*set)(bool), int (*toggle)(int))
{
    if (m_Tokenizer.GetNextToken() != tok::Unique)
        return SyntaxError(keyword, "Unique", m_Tokenizer.GetText());
    switch (m_Tokenizer.GetNextToken()) {
    case tok::On:
        return recorded ? script_code::kOk : (m_pCurSession->*set)(true);
    case tok::Off:
        return recorded ? (m_pCurSession->*set)(false) : script_code::kOk;
    case tok::End: {
        const int code = LibraryCall(toggle);
        if (code == script_code::kOk)
            recorded = !recorded;
        return code;
    }
    default:
        // Anything else is more likely a typo than a wish to toggle.
        return SyntaxError(std::string(keyword) + " Unique", "[on | off]", m_Tokenizer.GetText());
    }
}
