// File transfers. Each settles the transfer type first, then makes one
// library call.
#include "FtpSession.h"

#include "SessionCall.h"

#include <netvo32.h>

#ifndef TAVO_MARLO32
#include "SessionRegistry.h"
#endif

using session_detail::BusyCall;

// `name` is the file the type is judged by: the first file argument of the
// transfer. True when ASCII was chosen; false for binary, and where nothing
// chose (automatic selection off) and the set type stays.
bool CSession::SelectTransferType(int type, const std::string& name)
{
    if (type == TransferAscii) {
        SetAscii();
        return true;
    }
    if (type == TransferBinary) {
        SetBinary();
    } else if (!m_bAutoAscii) {
        EnsureAlive();  // keep whatever type is set
    } else if (IsAsciiFile(name) != 0) {
        SetAscii();
        return true;
    } else {
        SetBinary();
    }
    return false;
}

int CSession::GetFile(const std::string& remote, const std::string& local, int type)
{
    SelectTransferType(type, remote);
    return BusyCall(*this, [&] { return ftp_get(m_nFtpHandle, remote.c_str(), local.c_str()); });
}

int CSession::PutFile(const std::string& local, const std::string& remote, int type)
{
    SelectTransferType(type, local);
    return BusyCall(*this, [&] { return ftp_put(m_nFtpHandle, local.c_str(), remote.c_str()); });
}

int CSession::AppendFile(const std::string& local, const std::string& remote, int type)
{
    SelectTransferType(type, local);
    return BusyCall(*this, [&] { return ftp_append(m_nFtpHandle, local.c_str(), remote.c_str()); });
}

// offset > 0 resumes there, offset < 0 lets the library find the offset, and
// 0 is a plain put.
int CSession::RestartPutFile(const std::string& local, const std::string& remote, long long offset, int type)
{
    SelectTransferType(type, local);
    return BusyCall(*this, [&] {
        if (offset > 0)
            return ftp_RestartPutAt(m_nFtpHandle, local.c_str(), remote.c_str(), offset);
        if (offset < 0)
            return ftp_RestartPut(m_nFtpHandle, local.c_str(), remote.c_str());
        return ftp_put(m_nFtpHandle, local.c_str(), remote.c_str());
    });
}

// offset < 0 lets the library find the offset; any other offset, 0 included,
// restarts there.
int CSession::RestartGetFile(const std::string& remote, const std::string& local, long long offset, int type)
{
    SelectTransferType(type, remote);
    return BusyCall(*this, [&] {
        if (offset < 0)
            return ftp_RestartGet(m_nFtpHandle, remote.c_str(), local.c_str());
        return ftp_RestartGetAt(m_nFtpHandle, remote.c_str(), local.c_str(), offset);
    });
}

#ifndef TAVO_MARLO32
int CSession::RemotePutFile(int destHandle, const std::string& source, const std::string& dest, int type)
{
    // The library sets one type on both servers itself: the one chosen
    // here, or binary where nothing chose (a copy must not change bytes).
    const bool ascii = SelectTransferType(type, source);
    if (CSession* target = g_GetSession(destHandle))
        target->SelectTransferType(type, source);
    return BusyCall(*this, [&] {
        return ftp_RemotePut(m_nFtpHandle, destHandle, source.c_str(), dest.c_str(), ascii ? 0 : 1, 0);
    });
}
#endif
