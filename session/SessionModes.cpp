// Connection settings. The session records each one so that a reconnection
// can set it again.
#include "FtpSession.h"

#include "CommandEcho.h"
#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

using session_detail::BusyCall;
using session_detail::LastReplyText;

int CSession::SetAscii()
{
    EnsureAlive();
    // The library sends TYPE only when the type changes; an unchanged type
    // has no reply of its own, and the previous command's must not show
    // again as if it were this one's.
    const std::string before = LastReplyText(m_nFtpHandle);
    const int cc = BusyCall(*this, [&] { return ftp_setascii(m_nFtpHandle); });
    if (cc == 0)
        m_bBinary = false;
    g_TraceLog.Trace("SetAscii: cc = %d", cc);
    if (cc != 0 || LastReplyText(m_nFtpHandle) != before) {
        EchoCommand("TYPE A");
        GetReplyString();
    }
    return cc;
}

int CSession::SetBinary()
{
    EnsureAlive();
    const std::string before = LastReplyText(m_nFtpHandle);
    const int cc = BusyCall(*this, [&] { return ftp_setbinary(m_nFtpHandle); });
    if (cc == 0)
        m_bBinary = true;
    g_TraceLog.Trace("SetBinary: cc = %d", cc);
    if (cc != 0 || LastReplyText(m_nFtpHandle) != before) {
        EchoCommand("TYPE I");
        GetReplyString();
    }
    return cc;
}

// Only a library setting: no busy bracket and no link check.
int CSession::SetPassive(int flag)
{
    const int cc = ftp_SetPassive(m_nFtpHandle, flag);
    g_TraceLog.Trace("SetPassive: Flag = %d, cc = %d", flag, cc);
    m_bPassive = flag != 0;
    return cc;
}

int CSession::SetDataPort(int port)
{
    const int cc = BusyCall(*this, [&] { return ftp_SetDataPort(m_nFtpHandle, port); });
    if (cc == 0)
        m_nDataPort = port;
    return cc;
}

int CSession::SetReceiveTimeout(int seconds)
{
    m_nReceiveTimeout = seconds;
    return BusyCall(*this, [&] { return ftp_setreceivetimeout(m_nFtpHandle, seconds); });
}

int CSession::SetStatusBox(bool flag)
{
    m_bStatusBox = flag;
    return BusyCall(*this, [&] { return ftp_statusbox(m_nFtpHandle, flag ? 1 : 0); });
}

int CSession::SetLocalPath(const std::string& path)
{
    m_strLocalPath = path;
    return BusyCall(*this, [&] {
        return path.empty() ? ftp_ClearLocalPath(m_nFtpHandle) : ftp_SetLocalPath(m_nFtpHandle, path.c_str());
    });
}

int CSession::IsAsciiFile(const std::string& name) const
{
    return m_pfnIsAscii != nullptr ? m_pfnIsAscii(m_nCallbackData, name.c_str()) : 0;
}

#ifndef TAVO_MARLO32
void CSession::SetPort(int port)
{
    m_bUsePort = true;
    m_nPort = port;
}

void CSession::SetAsciiCallback(std::intptr_t data, SessionAsciiCallback callback, bool bAuto)
{
    m_nCallbackData = data;
    m_pfnIsAscii = callback;
    m_bAutoAscii = bAuto;
}

void CSession::SetOSType(int type)
{
    m_nOSType = type;
    VerifyOSType();
}
#endif
