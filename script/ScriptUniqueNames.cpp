// local unique and store unique: transfers that never overwrite a file, on
// the local side (downloads) or on the server (STOU).
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

int CScriptEngine::ExecLocalUnique(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLocalUnique: Begin");
    const int code = SetUniqueMode("Local", m_pCurSession->m_bLocalUnique, &CSession::SetLocalUnique);
    return EndStatement(value, "ExecLocalUnique", "Local Unique", code);
}

int CScriptEngine::ExecStoreUnique(CScriptValue& value)
{
    g_TraceLog.Trace("ExecStoreUnique: Begin");
    const int code = SetUniqueMode("Store", m_pCurSession->m_bStoreUnique, &CSession::SetStoreUnique);
    return EndStatement(value, "ExecStoreUnique", "StoreUnique", code);
}

// "unique on" and "unique off" are idempotent: the library call only toggles,
// so the session's record decides whether a toggle is needed. "unique" alone
// toggles.
int CScriptEngine::SetUniqueMode(const char* keyword, bool recorded, int (CSession::*set)(bool))
{
    if (m_Tokenizer.GetNextToken() != tok::Unique)
        return SyntaxError(keyword, "Unique", m_Tokenizer.GetText());
    bool wanted;
    switch (m_Tokenizer.GetNextToken()) {
    case tok::On:
        wanted = true;
        break;
    case tok::Off:
        wanted = false;
        break;
    case tok::End:
        wanted = !recorded;
        break;
    default:
        // Anything else is more likely a typo than a wish to toggle.
        return SyntaxError(std::string(keyword) + " Unique", "[on | off]", m_Tokenizer.GetText());
    }
    return wanted == recorded ? script_code::kOk : (m_pCurSession->*set)(wanted);
}
