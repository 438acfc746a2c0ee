// Remote folders and single-file commands.
#include "FtpSession.h"

#include "CommandEcho.h"
#include "SessionCall.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <cstdio>
#include <strings.h>

using session_detail::BufferText;
using session_detail::BusyCall;

int CSession::Cd(const std::string& dir, bool bRefresh)
{
    EnsureAlive();
    EchoCommand("CWD " + dir);
    const int cc = BusyCall(*this, [&] { return ftp_cd(m_nFtpHandle, dir.c_str()); });
    // The reply to the CWD itself, before the PWD below replaces it: the
    // pane shows each command with its own answer.
    GetReplyString();
    if (cc == 0 && bRefresh)
        SetPwd();
    g_TraceLog.Trace("Cd: %s, cc = %d", dir.c_str(), cc);
    return cc;
}

int CSession::Cdup()
{
    EnsureAlive();
    EchoCommand("CDUP");
    const int cc = BusyCall(*this, [&] { return ftp_cdup(m_nFtpHandle); });
    GetReplyString();
    if (cc == 0)
        SetPwd();
    g_TraceLog.Trace("Cdup: cc = %d", cc);
    return cc;
}

int CSession::SetPwd()
{
    EnsureAlive();
    char buffer[1024] = {};
    const int cc = BusyCall(*this, [&] { return ftp_pwd(m_nFtpHandle, buffer, sizeof buffer); });
    if (cc == 0) {
        m_strCurDir = BufferText(buffer, sizeof buffer, static_cast<int>(sizeof buffer));
        if (m_strRoot.empty())
            m_strRoot = m_strCurDir;
    }
    g_TraceLog.Trace("SetPwd: cc = %d", cc);
    return cc == 0 ? 0 : kSessionFailed;
}

int CSession::FtpRename(const std::string& oldName, const std::string& newName)
{
    int rc = kSessionNotTried;
    if (EnsureAlive())
        rc = BusyCall(*this, [&] { return ftp_rename(m_nFtpHandle, oldName.c_str(), newName.c_str()); });
    g_TraceLog.Trace("CSession::FtpRename: Rename %s to %s, rc = %d", oldName.c_str(), newName.c_str(), rc);
    return rc;
}

int CSession::FtpExists(const std::string& path)
{
    if (!EnsureAlive())
        return 0;
    const int rc = BusyCall(*this, [&] { return ftp_Exists(m_nFtpHandle, path.c_str()); });
    g_TraceLog.Trace("CSession::FtpExists: Exist %s, rc = %d", path.c_str(), rc);
    // A negative result is a failure of the check (lost connection, unknown
    // handle), not a file that exists.
    return rc > 0 ? rc : 0;
}

#ifndef TAVO_MARLO32
int CSession::RestoreCurrentDir()
{
    return m_strCurDir.empty() ? 0 : Cd(std::string(m_strCurDir), true);
}

int CSession::ChangeRoot(const std::string& dir)
{
    const int cc = Cd(dir, true);
    if (cc == 0)
        m_strRoot = m_strCurDir;
    return cc;
}

int CSession::FtpMkDir(const std::string& path)
{
    int rc = kSessionNotTried;
    if (EnsureAlive())
        rc = BusyCall(*this, [&] { return ftp_mkdir(m_nFtpHandle, path.c_str()); });
    g_TraceLog.Trace("CSession::FtpMkDir: Make directory %s, rc = %d", path.c_str(), rc);
    return rc;
}

int CSession::FtpDelete(const std::string& path)
{
    int rc = kSessionNotTried;
    if (EnsureAlive())
        rc = BusyCall(*this, [&] { return ftp_delete(m_nFtpHandle, path.c_str()); });
    g_TraceLog.Trace("CSession::FtpDelete: Delete %s, rc = %d", path.c_str(), rc);
    return rc;
}

// A server will not remove the folder a client stands in, so step out first.
int CSession::FtpRmDir(const std::string& path)
{
    int rc = kSessionNotTried;
    if (EnsureAlive()) {
        if (strcasecmp(path.c_str(), m_strCurDir.c_str()) == 0)
            Cdup();
        rc = BusyCall(*this, [&] { return ftp_rmdir(m_nFtpHandle, path.c_str()); });
    }
    g_TraceLog.Trace("CSession::FtpRmDir: Delete directory %s, rc = %d", path.c_str(), rc);
    return rc;
}

int CSession::FtpSite(const std::string& text)
{
    int rc = kSessionNotTried;
    if (EnsureAlive())
        rc = BusyCall(*this, [&] { return ftp_site(m_nFtpHandle, text.c_str()); });
    g_TraceLog.Trace("CSession::FtpSite: SITE %s, rc = %d", text.c_str(), rc);
    return rc;
}

int CSession::FtpChmod(const std::string& path, unsigned mode)
{
    // Three digits at least: servers read "44" as a malformed mode, not 044.
    // Bits above the special ones are not part of a mode.
    char command[32];
    std::snprintf(command, sizeof command, "CHMOD %03o ", mode & 07777u);
    return FtpSite(command + path);
}

int CSession::DirToFile(const std::string& remote, const std::string& localFile)
{
    EnsureAlive();
    return BusyCall(*this, [&] { return ftp_dir(m_nFtpHandle, remote.c_str(), localFile.c_str()); });
}

bool CSession::HasMachineListing()
{
    return m_nFtpHandle > 0 && ftp_hasmlsd(m_nFtpHandle) == 1;
}

int CSession::MachineDirToFile(const std::string& remote, const std::string& localFile)
{
    EnsureAlive();
    const int rc = BusyCall(*this, [&] { return ftp_mlsd(m_nFtpHandle, remote.c_str(), localFile.c_str()); });
    g_TraceLog.Trace("CSession::MachineDirToFile: MLSD %s, rc = %d", remote.c_str(), rc);
    return rc;
}
#endif
