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

// A rebuild that fails leaves the session without a handle, and the next
// CheckConnection has nothing to log in on: a retry rule could then never
// succeed again, however soon the server is back. This opens a new
// connection with the remembered login, replays the firewall logins and
// restores the modes, the unique ones included, since a new handle starts
// without them. (Active mode is the one setting that cannot come back: the
// session records only a wish for passive, which is the library's default.)
int CSession::LoginAgain()
{
    if (m_nFtpHandle > 0)
        return CheckConnection();
    if (m_strHost.empty())
        return kSessionNotTried;
    g_TraceLog.Trace("LoginAgain: %s", m_strHost.c_str());
    int cc = Login(std::string(m_strHost), std::string(m_strUser), std::string(m_strPassword),
                   std::string(m_strAccount), true, false);
    if (cc == 0)
        cc = ReplayGateLogins();
    if (cc != 0)
        return cc;
    RestoreAfterReconnect(cc);
    if (m_bLocalUnique)
        BusyCall(*this, [&] { return ftp_localunique(m_nFtpHandle); });
    if (m_bStoreUnique)
        BusyCall(*this, [&] { return ftp_storeunique(m_nFtpHandle); });
    g_TraceLog.Trace("LoginAgain: cc = %d", cc);
    return cc;
}
#endif
