// Opening, logging in, checking and rebuilding a session's connection.
#include "FtpSession.h"

#include "CommandEcho.h"
#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>

using session_detail::BusyCall;
using session_detail::Now;

namespace {

// The lines of a login as the pane shows them; the secrets themselves are
// never handed on. The server's final reply follows from the caller.
void EchoLogin(const std::string& userLine, const std::string& account)
{
    EchoCommand(userLine);
    EchoCommand("PASS ****");
    if (!account.empty())
        EchoCommand("ACCT ****");
}

// Opens the connection in the session's security mode and runs the TLS
// negotiation before anything else is said, so that the user learns
// whether the password is about to go out in clear text.
int OpenSecured(const std::string& host, bool usePort, int port, int security)
{
    if (security == NETVO_SECURE_IMPLICIT)
        return ftp_opensecure(host.c_str(), usePort ? port : 0, security);
    const int handle = usePort ? ftp_openport(host.c_str(), port) : ftp_open(host.c_str());
    if (handle <= 0)
        return handle;
    int cc = ftp_setsecurity(handle, security);
    if (cc == 0)
        cc = ftp_negotiatesecurity(handle);
    if (cc != 0) {
        // The reason stays the library's last error for the caller to
        // show (releasing a handle records none); the trace gets it too.
        char reason[1024] = "";
        ftp_lasterror(reason, sizeof reason);
        netvo_release(handle);
        g_TraceLog.Trace("OpenSecured: %s", reason);
        return cc < 0 ? cc : NETVO_E_TLS;
    }
    return handle;
}

// Only when encryption was wanted: a user who chose plain FTP knows.
void WarnIfClear(int handle, const std::string& host, int security)
{
    if (security == NETVO_SECURE_AUTO && ftp_getsecurity(handle) == 0)
        g_TraceLog.Warning("%s offers no encryption: the password goes out in clear text.", host.c_str());
}

}  // namespace

int CSession::SetSecurity(int mode)
{
    if (mode < NETVO_SECURE_NONE || mode > NETVO_SECURE_IMPLICIT)
        return NETVO_E_BADARG;
    m_nSecurity = mode;
    return 0;
}

int CSession::GetSecurityState()
{
    return m_nFtpHandle > 0 ? std::max(0, ftp_getsecurity(m_nFtpHandle)) : 0;
}

int CSession::Login(const std::string& host, const std::string& user, const std::string& password,
                    const std::string& account, bool bNoSave, bool bPassive)
{
    g_TraceLog.Message("Connecting to %s FTP server, please wait...", host.c_str());
    // Logging in again on a live session would drop the old handle without
    // closing it; the connection would stay open until the process ends. A
    // wrapped caller's connection is the caller's to close.
    if (m_nFtpHandle > 0 && m_strName != kCallerSessionName)
        Disconnect();
    m_strLoginReply.clear();

    const int handle = BusyCall(*this, [&] {
        return OpenSecured(host, m_bUsePort, m_nPort, m_nSecurity);
    });
    int result = kSessionFailed;
    if (handle <= 0) {
        m_nFtpHandle = 0;  // the library's negative code is no handle
        GetLastErrorString();
    } else {
        m_nFtpHandle = handle;
        m_tConnected = Now();
        m_tLastCheck = m_tConnected;
        WarnIfClear(handle, host, m_nSecurity);
        EchoLogin("USER " + user, account);
        const int cc = BusyCall(*this, [&] {
            return ftp_relogin(handle, user.c_str(), password.c_str(), account.c_str());
        });
        const std::string reply = GetReplyString();
        if (cc != 0) {
            Disconnect();
        } else {
            m_strLoginReply = reply;
            if (!bNoSave) {
                m_strHost = host;
                m_strUser = user;
                m_strPassword = password;
                m_strAccount = account;
            }
            if (bPassive)
                SetPassive(1);
            result = 0;
        }
    }
    g_TraceLog.Trace("Login: ftphandle = %d", m_nFtpHandle);
    return result;
}

int CSession::GateLogin(const std::string& host, const std::string& user, const std::string& password,
                        const std::string& account, bool bNoSave, bool bPassive)
{
    if (m_nFtpHandle < 1)
        return kSessionNotTried;
    EnsureAlive();
    m_strLoginReply.clear();
    EchoLogin("USER " + user + "@" + host, account);
    const int cc = BusyCall(*this, [&] {
        return ftp_gatelogin(m_nFtpHandle, host.c_str(), user.c_str(), password.c_str(), account.c_str());
    });
    const std::string reply = GetReplyString();
    if (cc == 0) {
        m_strLoginReply = reply;
        if (bPassive)
            SetPassive(1);
        if (!bNoSave)
            AddGateLogin(host, user, password, account);
    }
    return cc;
}

void CSession::AddGateLogin(const std::string& host, const std::string& user, const std::string& password,
                            const std::string& account)
{
    m_aGateHost.push_back(host);
    m_aGateUser.push_back(user);
    m_aGatePassword.push_back(password);
    m_aGateAccount.push_back(account);
    m_nGateCount = static_cast<int>(m_aGateHost.size());
}

// Logs in again on the same handle, so that the handle number, and with it
// the registry entry and the timer id, stay valid; then replays the firewall
// logins in the order they were made.
int CSession::Reconnect()
{
    // Without a handle there is nothing to rebuild (a failed reconnect has
    // already disconnected): report "not tried" instead of calling the
    // library with no handle and announcing a reconnection each time.
    if (m_nFtpHandle < 1)
        return kSessionNotTried;
    BusyCall(*this, [&] { return ftp_Logout(m_nFtpHandle); });
    g_TraceLog.Message("Wait! Reconnecting to %s FTP server...", m_strHost.c_str());
    EchoLogin("USER " + m_strUser, m_strAccount);
    int cc = BusyCall(*this, [&] {
        return ftp_relogin(m_nFtpHandle, m_strUser.c_str(), m_strPassword.c_str(), m_strAccount.c_str());
    });
    GetReplyString();
    if (cc != 0) {
        Disconnect();
        return cc;
    }
    return ReplayGateLogins();
}

int CSession::ReplayGateLogins()
{
    for (size_t i = 0; i < m_aGateHost.size(); ++i) {
        EchoLogin("USER " + m_aGateUser[i] + "@" + m_aGateHost[i], m_aGateAccount[i]);
        const int cc = BusyCall(*this, [&] {
            return ftp_gatelogin(m_nFtpHandle, m_aGateHost[i].c_str(), m_aGateUser[i].c_str(),
                                 m_aGatePassword[i].c_str(), m_aGateAccount[i].c_str());
        });
        GetReplyString();
        if (cc != 0) {
            Disconnect();
            return cc;
        }
    }
    return 0;
}

int CSession::Disconnect()
{
    if (m_hTimerWnd != nullptr)
        StopTimer();
    if (m_nFtpHandle < 1)
        return 0;
    g_TraceLog.Trace("Disconnect: ftp quit (%d)", m_nFtpHandle);
    const int cc = BusyCall(*this, [&] { return ftp_quit(m_nFtpHandle); });
    m_nFtpHandle = 0;
    return cc;
}

int CSession::CheckConnection()
{
    // Only a positive answer counts: the library answers an unknown handle
    // with a negative code, which is no sign of life.
    const int alive = BusyCall(*this, [&] { return ftp_isconnected(m_nFtpHandle); });
    int cc = 0;
    if (alive > 0) {
        m_tLastCheck = Now();
    } else if (m_bRebuilding) {
        // Reached from a restore step of the rebuild below, which goes on
        // with its own outcome; one rebuild at a time.
        cc = kSessionNotTried;
    } else {
        g_TraceLog.Trace("CheckConnection: Lost connection, need to reconnect");
        m_bRebuilding = true;
        cc = Reconnect();
        if (cc == 0)
            RestoreAfterReconnect(cc);
        m_bRebuilding = false;
    }
    g_TraceLog.Trace("CheckConnection: cc = %d", cc);
    if (m_nKeepAlive > 0)
        ChangeInterval(m_nKeepAlive);
    return cc;
}

// Puts back the modes of the lost connection, in an order where each step
// can rely on the previous ones.
void CSession::RestoreAfterReconnect(int& cc)
{
    if (m_nDataPort > 0)
        SetDataPort(m_nDataPort);
    if (m_bPassive)
        cc = SetPassive(1);
    if (cc == 0) {
        if (!m_strCurDir.empty())
            cc = Cd(std::string(m_strCurDir), true);  // Cd refreshes m_strCurDir
        if (cc == 0 && m_bBinary)
            cc = SetBinary();
    }
    if (!m_strLocalPath.empty())
        SetLocalPath(m_strLocalPath);
    if (m_nReceiveTimeout >= 0)
        SetReceiveTimeout(m_nReceiveTimeout);
    // The unique modes are not touched: the library keeps a handle's modes
    // through a new login on it, and its calls only toggle them, so calling
    // them here would switch them off and let transfers overwrite files.
    if (cc == 0 && m_bStatusBox)
        SetStatusBox(true);
}

bool CSession::EnsureAlive()
{
    const long elapsed = static_cast<long>(Now() - m_tLastCheck);
    if (elapsed >= m_nIdleLimit)
        return CheckConnection() == 0;
    g_TraceLog.Trace("Time elapsed %ld seconds", elapsed);
    return true;
}

#ifndef TAVO_MARLO32
int CSession::IsConnected()
{
    const int alive = BusyCall(*this, [&] { return ftp_isconnected(m_nFtpHandle); });
    if (alive > 0)
        m_tLastCheck = Now();
    return alive > 0 ? alive : 0;
}
#endif
