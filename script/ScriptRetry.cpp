// The retry loop: a statement's operation runs once, and is repeated while
// it fails and the script's "on failed" rule allows another attempt.
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <chrono>
#include <thread>

bool CScriptEngine::CheckRetry(int attempt, int code, bool reconnect)
{
    g_TraceLog.Trace("CheckRetry: Begin. cc = %d, i = %d, max = %d", code, attempt, m_nRetryMax);
    if (code == 0)
        return false;
    if (attempt == 0)
        return true;
    if (m_nRetryMax < 0)
        return false;  // no rule
    if (m_nRetryMax > 0) {  // 0: for ever, without pause
        g_TraceLog.Trace("CheckRetry: try # %d, max %d", attempt, m_nRetryMax);
        if (attempt > m_nRetryMax)
            return false;
        g_TraceLog.Trace("CheckRetry: sleeping %d", m_nRetrySleep);
        if (m_nRetrySleep > 0) {
            g_TraceLog.LogAppend("Sleeping for %d seconds\n", m_nRetrySleep);
            std::this_thread::sleep_for(std::chrono::seconds(m_nRetrySleep));
        }
        g_TraceLog.LogAppend("Retry # %d\n", attempt);
    }
    // A session whose last rebuild failed has no handle left; it logs in
    // anew instead, so that a server that comes back is reached again (also
    // when retrying for ever, which would otherwise fail at once for good).
    if (reconnect && m_pCurSession != nullptr)
        m_pCurSession->LoginAgain();
    return true;
}

// The code of the last attempt.
int CScriptEngine::RetryLoop(bool reconnect, const std::function<int(int attempt)>& operation)
{
    int code = -99;
    for (int attempt = 0; CheckRetry(attempt, code, reconnect); ++attempt)
        code = operation(attempt);
    return code;
}
