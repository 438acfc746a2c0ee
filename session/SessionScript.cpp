// Operations that only the script library's build of the session has.
#ifdef TAVO_MARLO32
#include "FtpSession.h"

#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

using session_detail::BusyCall;

// A copy of the script's retry rule for this session.
void CSession::SetOnFailed(int retry, int sleep)
{
    g_TraceLog.Trace("SetOnFailed: Retry = %d, Sleep = %d", retry, sleep);
    m_nRetry = retry;
    m_bRetry = retry >= 0;
    m_nSleep = sleep;
}

// The library call toggles the mode; the caller decides whether a toggle is
// needed and the session records the state it asked for.
int CSession::SetLocalUnique(bool flag)
{
    const int cc = BusyCall(*this, [&] { return ftp_localunique(m_nFtpHandle); });
    if (cc == 0)
        m_bLocalUnique = flag;
    g_TraceLog.Trace(flag ? "SetLocalUnique: bFlag = True, cc = %d" : "SetLocalUnique: bFlag = False, cc = %d", cc);
    return cc;
}

int CSession::SetStoreUnique(bool flag)
{
    const int cc = BusyCall(*this, [&] { return ftp_storeunique(m_nFtpHandle); });
    if (cc == 0)
        m_bStoreUnique = flag;
    g_TraceLog.Trace(flag ? "SetStoreUnique: bFlag = True, cc = %d" : "SetStoreUnique: bFlag = False, cc = %d", cc);
    return cc;
}
#endif
