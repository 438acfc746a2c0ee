// on failed ... and on error ...: the rules for a failing statement.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

int CScriptEngine::ExecOn(CScriptValue&)
{
    g_TraceLog.Trace("ExecOn: Begin");
    int rc;
    switch (m_Tokenizer.GetNextToken()) {
    case tok::Failed:
        rc = ExecOnFailed();
        break;
    case tok::Error:
        rc = ExecOnError();
        break;
    default:
        rc = SyntaxError("On", "[failed | error]", m_Tokenizer.GetText());
        break;
    }
    ReportResult("ExecOn", "cc", rc);
    return rc;
}

// on failed retry|restart <n>|forever [sleep <n>], on failed off. Every
// form starts from "no retries", so a malformed rule leaves none.
int CScriptEngine::ExecOnFailed()
{
    m_nRetryMax = -1;
    m_nRetrySleep = 0;
    m_bRestartOnRetry = false;
    switch (m_Tokenizer.GetNextToken()) {
    case tok::Retry:
        break;
    case tok::Restart:
        m_bRestartOnRetry = true;
        break;
    case tok::Off:
        SetRetryInfo();
        return script_code::kOk;
    default: {
        const int rc = SyntaxError("... Failed", "[retry | restart | off]", m_Tokenizer.GetText());
        SetRetryInfo();
        return rc;
    }
    }
    const std::int32_t count = m_Tokenizer.GetNextToken();
    if (count == tok::Forever) {
        m_nRetryMax = 0;
    } else if (count == tok::Number) {
        m_nRetryMax = m_Tokenizer.GetValue();
    } else {
        const int rc = SyntaxError("... Retry", "<integer>", m_Tokenizer.GetText());
        SetRetryInfo();
        return rc;
    }
    m_nRetrySleep = GetSleep();
    SetRetryInfo();
    return script_code::kOk;
}

// on error continue|stop
int CScriptEngine::ExecOnError()
{
    switch (m_Tokenizer.GetNextToken()) {
    case tok::Continue:
        m_bContinueOnError = true;
        return script_code::kOk;
    case tok::Stop:
        m_bContinueOnError = false;
        return script_code::kOk;
    default:
        return SyntaxError("... Error", "[continue | stop]", m_Tokenizer.GetText());
    }
}

// "sleep <n>" after the count; 0 when it is not there.
int CScriptEngine::GetSleep()
{
    g_TraceLog.Trace("GetSleep: Begin");
    int seconds = 0;
    if (m_Tokenizer.GetNextToken() == tok::Sleep && m_Tokenizer.GetNextToken() == tok::Number)
        seconds = m_Tokenizer.GetValue();
    ReportResult("SetSleep", "Sleep seconds", seconds);
    return seconds;
}

// Every session of the run carries the rule; later ones get it when they are
// created.
void CScriptEngine::SetRetryInfo()
{
    g_TraceLog.Trace("SetRetryInfo: Begin");
    for (const std::unique_ptr<CSession>& session : m_Sessions)
        session->SetOnFailed(m_nRetryMax, m_nRetrySleep);
}
