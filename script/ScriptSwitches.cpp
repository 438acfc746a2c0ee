// Control statements that only set a flag, and the block words that end a
// line by their code alone.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

// Reads "on" or "off" into `flag`; anything else is the construct's syntax
// error and leaves the flag alone.
int CScriptEngine::ReadSwitch(const char* keyword, bool& flag)
{
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token == tok::On || token == tok::Off) {
        flag = token == tok::On;
        return script_code::kOk;
    }
    return SyntaxError(keyword, "[on | off]", m_Tokenizer.GetText());
}

int CScriptEngine::SetEcho(CScriptValue&)
{
    return ReadSwitch("Echo", m_bEcho);
}

int CScriptEngine::SetIgnore(CScriptValue&)
{
    return ReadSwitch("Ignore", m_bContinueOnError);
}

// The trace flag belongs to the process-wide trace log, so it outlives the
// run.
int CScriptEngine::SetDebug(CScriptValue&)
{
    bool on = g_TraceLog.GetTrace() != 0;
    const int rc = ReadSwitch("Debug", on);
    if (rc == script_code::kOk)
        g_TraceLog.SetTrace(on ? 1 : 0);
    return rc;
}

int CScriptEngine::ExecElse(CScriptValue&)
{
    return script_code::kElseLine;
}

int CScriptEngine::ExecEndif(CScriptValue&)
{
    return script_code::kEndifLine;
}
