#include "FtpSession.h"

#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

using session_detail::BufferText;
using session_detail::BusyCall;
using session_detail::Now;

CSession::CSession()
    : m_tLastCheck(Now()),
      m_tConnected(m_tLastCheck),
      m_tCreated(m_tLastCheck)
{
}

CSession::~CSession()
{
    // A session named " " wraps a connection that its owner still uses.
    if (m_strName != kCallerSessionName)
        Disconnect();
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
    std::string text = session_detail::LastReplyText(m_nFtpHandle);
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
