// The retry loop: a statement's operation runs once, and is repeated while
// it fails and the script's "on failed" rule allows another attempt.
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>
#include <string>

namespace {

// A rule without a count repeats until the operation succeeds, which may be
// never (a server that is down for the night): without a pause of its own
// it would spin at full speed against a refused port. Its pauses start at a
// second and double up to half a minute; a longer "sleep" of the rule wins.
constexpr int kFirstForeverPause = 1;
constexpr int kLongestForeverPause = 30;

}  // namespace

// The seconds to wait before repeat number `attempt` (1 for the first).
int CScriptEngine::RetryPause(int attempt) const
{
    if (m_nRetryMax != 0)
        return std::max(m_nRetrySleep, 0);
    int backoff = kFirstForeverPause;
    for (int i = 1; i < attempt && backoff < kLongestForeverPause; ++i)
        backoff *= 2;
    return std::max(m_nRetrySleep, std::min(backoff, kLongestForeverPause));
}

// True when repeat number `attempt` may run after a failure with `code`.
bool CScriptEngine::MayRetry(int attempt, int code) const
{
    g_TraceLog.Trace("CheckRetry: Begin. cc = %d, i = %d, max = %d", code, attempt, m_nRetryMax);
    if (code == 0 || m_nRetryMax < 0)
        return false;  // done, or no rule
    // Whoever aborted the pause or the call through the wait hook wants the
    // run to end, not another attempt.
    if (code == NETVO_E_ABORTED)
        return false;
    if (m_nRetryMax > 0) {
        g_TraceLog.Trace("CheckRetry: try # %d, max %d", attempt, m_nRetryMax);
        if (attempt > m_nRetryMax)
            return false;
    }
    return true;
}

// The pause before a repeat goes through the library, which calls the
// caller's wait hook meanwhile: a host that cancels its waits cancels a
// script retrying for ever the same way. 0, or NETVO_E_ABORTED.
int CScriptEngine::PauseBeforeRetry(int attempt)
{
    const int seconds = RetryPause(attempt);
    g_TraceLog.Trace("CheckRetry: sleeping %d", seconds);
    if (seconds > 0) {
        g_TraceLog.LogAppend("Sleeping for %d seconds\n", seconds);
        const int handle = m_pCurSession != nullptr ? std::max(m_pCurSession->m_nFtpHandle, 0) : 0;
        if (netvo_pause(handle, seconds * 1000) != 0) {
            m_strOwnFailure = "Retry # " + std::to_string(attempt) + ": " + netvo_strerror(NETVO_E_ABORTED) +
                              " during the pause before it";
            g_TraceLog.LogAppend("%s\n", m_strOwnFailure.c_str());
            return NETVO_E_ABORTED;
        }
    }
    g_TraceLog.LogAppend("Retry # %d\n", attempt);
    return 0;
}

// The code of the last attempt, or NETVO_E_ABORTED when a pause was ended.
// A session whose last rebuild failed has no handle left; before a repeat it
// logs in anew instead, so that a server that comes back is reached again.
int CScriptEngine::RetryLoop(bool reconnect, const std::function<int(int attempt)>& operation)
{
    m_strOwnFailure.clear();
    int code = operation(0);
    for (int attempt = 1; MayRetry(attempt, code); ++attempt) {
        code = PauseBeforeRetry(attempt);
        if (code != 0)
            break;
        if (reconnect && m_pCurSession != nullptr)
            m_pCurSession->LoginAgain();
        code = operation(attempt);
    }
    return code;
}
