// Keep-alive: a periodic timer in the host sends a NOOP unless the session is
// busy, and the idle limit follows the interval so that EnsureAlive does not
// check a link that the timer keeps alive anyway.
#include "FtpSession.h"

#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>

using session_detail::BusyCall;
using session_detail::Now;

namespace {

constexpr int kDefaultIdleLimit = 120;
// The period in milliseconds must fit an int.
constexpr int kMaxKeepAliveMinutes = 35000;

}  // namespace

void CSession::SetKeepALive(ITimerHost* window, int minutes)
{
    g_TraceLog.Trace("CSession::SetKeepALive: Interval = %d", minutes);
    if (minutes > 0) {
        minutes = std::min(minutes, kMaxKeepAliveMinutes);
        if (m_nTimerID == 0 && m_nFtpHandle > 0)
            m_nTimerID = static_cast<unsigned>(m_nFtpHandle);
        if (window != m_hTimerWnd) {
            StopTimer();
            m_hTimerWnd = window;
        }
        m_nKeepAlive = minutes;
        // A timer started without an id (no connection yet) could never be
        // stopped again, and one without a host has nowhere to run.
        if (m_hTimerWnd != nullptr && m_nTimerID != 0)
            m_hTimerWnd->StartSessionTimer(m_nTimerID, minutes * 60000);
        m_nIdleLimit = minutes * 60 - 5;
    } else {
        m_nKeepAlive = minutes;
        if (m_nTimerID != 0)
            StopTimer();
    }
    if (m_hTimerWnd == nullptr && minutes == 0)
        m_hTimerWnd = window;
}

void CSession::ChangeInterval(int minutes)
{
    m_nKeepAlive = minutes;
    g_TraceLog.Trace("CSession::ChangeInterval: Interval = %d", minutes);
    if (m_hTimerWnd != nullptr)
        SetKeepALive(m_hTimerWnd, minutes);
}

void CSession::StopTimer()
{
    if (m_hTimerWnd == nullptr || m_nTimerID == 0)
        return;
    g_TraceLog.Trace("CSession::StopTimer: KillTimer (%d)", static_cast<int>(m_nTimerID));
    m_hTimerWnd->KillSessionTimer(m_nTimerID);
    m_nKeepAlive = 0;
    m_nIdleLimit = kDefaultIdleLimit;
}

#ifndef TAVO_MARLO32
void CSession::SendNOOP()
{
    g_TraceLog.Trace("CSession::SendNOOP: IDEvent = %u", m_nTimerID);
    if (m_nBusy > 0) {
        g_TraceLog.Trace("CSession::SendNOOP: FTP is busy (%d)", m_nBusy);
        return;
    }
    const int cc = BusyCall(*this, [&] { return ftp_noop(m_nFtpHandle); });
    if (cc == 0)
        m_tLastCheck = Now();
    g_TraceLog.Trace("CSession::SendNOOP: NOOP returns = %d", cc);
}
#endif
