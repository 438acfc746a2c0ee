#include "FtpSession.h"

#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

using session_detail::BufferText;
using session_detail::BusyCall;
using session_detail::Now;

CSession::CSession()
{
    Reset();
    m_tCreated = m_tConnected;
}

CSession::~CSession()
{
    // A session named " " wraps a connection that its owner still uses.
    if (m_strName != kCallerSessionName)
        Disconnect();
}

// Everything but the port chosen with SetPort goes back to its start value.
void CSession::Reset()
{
    const bool usePort = m_bUsePort;
    const int port = m_nPort;
    m_nTimerID = 0;
    m_tLastCheck = Now();
    m_tConnected = m_tLastCheck;
    m_nCallbackData = 0;
    m_nReceiveTimeout = -1;
    m_bAutoAscii = false;
    m_bStatusBox = false;
    m_strRoot.clear();
    m_bClosing = false;
    m_nOSType = OsUnknown;
    m_bPassive = false;
    m_nSleep = 0;
    m_nRetry = 0;
    m_bRetry = false;
    m_strCurDir.clear();
    m_bBinary = false;
    m_nGateCount = 0;
    m_aGateAccount.clear();
    m_aGatePassword.clear();
    m_aGateUser.clear();
    m_aGateHost.clear();
    m_strAccount.clear();
    m_strPassword.clear();
    m_strUser.clear();
    m_strHost.clear();
    m_strLocalPath.clear();
    m_bStoreUnique = false;
    m_bLocalUnique = false;
    m_strName.clear();
    m_nFtpHandle = 0;
    m_strSeparator.assign(1, '/');
    m_nDataPort = 0;
    m_nBusy = 0;
    m_hTimerWnd = nullptr;
    m_nIdleLimit = 120;
    m_nKeepAlive = 0;
    m_pfnIsAscii = nullptr;
    m_bRebuilding = false;
    m_bUsePort = usePort;
    m_nPort = port;
}

int CSession::GetFtpHandle()
{
    EnsureAlive();
    return m_nFtpHandle;
}

std::string CSession::GetReplyString()
{
    if (m_nFtpHandle <= 0)
        return {};
    char buffer[1024] = {};
    const int length = BusyCall(*this, [&] { return ftp_copyreplystr(m_nFtpHandle, buffer, sizeof buffer); });
    std::string text = BufferText(buffer, sizeof buffer, length);
    if (!text.empty())
        g_TraceLog.Message("%s", text.c_str());
    return text;
}

std::string CSession::GetLastErrorString()
{
    char buffer[1024] = {};
    const int length = BusyCall(*this, [&] { return ftp_lasterror(buffer, sizeof buffer); });
    std::string text = BufferText(buffer, sizeof buffer, length);
    if (!text.empty())
        g_TraceLog.Message("%s", text.c_str());
    return text;
}
