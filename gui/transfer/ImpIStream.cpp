#include "ImpIStream.h"

#include "FtpSession.h"
#include "SessionRegistry.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <algorithm>
#include <climits>

namespace {

std::string LibraryError(int rc)
{
    char text[512] = "";
    if (ftp_lasterror(text, sizeof text) > 0) {
        text[sizeof text - 1] = '\0';
        return text;
    }
    return netvo_strerror(rc);
}

}  // namespace

CImpIStream::CImpIStream()
{
    g_TraceLog.Trace("CImpIStream: creating the object");
}

CImpIStream::~CImpIStream()
{
    g_TraceLog.Trace("CImpIStream: destroying the object");
    if (m_nRefCount != 0)
        g_TraceLog.Trace("CImpIStream: Deleting the object too early");
    CloseTransfer();
}

int CImpIStream::Open(const std::string& remote, int handle, bool bWrite, int append)
{
    CSession* session = g_GetSession(handle);
    g_TraceLog.Trace("CImpIStream::Open ftp file, WriteMode = %d", bWrite ? 1 : 0);
    if (IsOpen())
        return 0;
    m_nFtpHandle = handle;
    m_strRemote = remote;
    if (!session) {
        g_TraceLog.Message("Cannot open %s: the server is no longer connected", remote.c_str());
        return 0;
    }
    // One call at a time on a handle: a call blocked further down the stack
    // (whose wait hook let us in here) still owns it.
    if (session->m_nBusy > 0) {
        g_TraceLog.Message("Cannot open %s: the server is busy with another command", remote.c_str());
        return 0;
    }
    if (session->IsAsciiFile(remote) != 0)
        session->SetAscii();
    else
        session->SetBinary();
    const int rc = bWrite ? ftp_openwriteforput(handle, remote.c_str(), append)
                          : ftp_openreadforget(handle, remote.c_str());
    if (rc != 0) {
        g_TraceLog.Message("Cannot open %s: %s", remote.c_str(), LibraryError(rc).c_str());
        return 0;
    }
    (bWrite ? m_bWriteOpen : m_bReadOpen) = true;
    ++session->m_nBusy;
    return 1;
}

int CImpIStream::CloseTransfer()
{
    if (!IsOpen())
        return 0;
    const bool reading = m_bReadOpen;
    m_bReadOpen = m_bWriteOpen = false;
    const int rc = reading ? ftp_closeread(m_nFtpHandle) : ftp_closewrite(m_nFtpHandle);
    // Handles are never reused, so this is the session that was opened on,
    // or none when it was closed meanwhile.
    if (CSession* session = g_GetSession(m_nFtpHandle); session && session->m_nBusy > 0)
        --session->m_nBusy;
    return rc;
}

StreamResult CImpIStream::QueryInterface(const StreamIid& iid, void** out)
{
    g_TraceLog.Trace("CImpIStream::QueryInterface()");
    if (iid == kIidUnknown || iid == kIidStream) {
        *out = this;
        AddRef();
        return kStreamOk;
    }
    *out = nullptr;
    return kStreamNoInterface;
}

long CImpIStream::AddRef()
{
    g_TraceLog.Trace("CImpIStream::AddRef(), count before = %ld", m_nRefCount);
    return ++m_nRefCount;
}

long CImpIStream::Release()
{
    const long count = --m_nRefCount;
    g_TraceLog.Trace("CImpIStream::Release(), count remain = %ld", count);
    if (count == 0)
        delete this;
    return count;
}

StreamResult CImpIStream::Read(void* buffer, std::uint32_t size, std::uint32_t* read)
{
    g_TraceLog.Trace("CImpIStream::Read()");
    if (read)
        *read = 0;
    if (!m_bReadOpen)
        return m_bFailed ? kStreamReadFault : kStreamFalse;
    const int n = ftp_readdata(m_nFtpHandle, buffer, static_cast<int>(std::min<std::uint32_t>(size, INT_MAX)));
    g_TraceLog.Trace("CImpIStream::Read %ld bytes", static_cast<long>(n));
    if (n > 0) {
        m_nBytesRead += n;
        if (read)
            *read = static_cast<std::uint32_t>(n);
        return kStreamOk;
    }
    // The end of the data counts only once the server confirmed the whole
    // transfer; a broken connection is an error, never a short file.
    const std::string error = n < 0 ? LibraryError(n) : std::string();
    const int rc = CloseTransfer();
    if (n < 0 || rc != 0) {
        m_bFailed = true;
        g_TraceLog.Message("Cannot read %s: %s", m_strRemote.c_str(),
                           (n < 0 ? error : LibraryError(rc)).c_str());
        return kStreamReadFault;
    }
    return kStreamFalse;
}

StreamResult CImpIStream::Write(const void* buffer, std::uint32_t size, std::uint32_t* written)
{
    g_TraceLog.Trace("CImpIStream::Write()");
    if (written)
        *written = 0;
    if (!m_bWriteOpen || m_bFailed)
        return kStreamWriteFault;
    const int n = ftp_writedata(m_nFtpHandle, buffer, static_cast<int>(std::min<std::uint32_t>(size, INT_MAX)));
    if (n < 0) {
        m_bFailed = true;
        g_TraceLog.Message("Cannot write %s: %s", m_strRemote.c_str(), LibraryError(n).c_str());
        return kStreamWriteFault;
    }
    if (written)
        *written = static_cast<std::uint32_t>(n);
    return kStreamOk;
}

StreamResult CImpIStream::Seek(std::int64_t, int, std::uint64_t*)
{
    g_TraceLog.Trace("CImpIStream::Seek()");
    return kStreamOk;
}

StreamResult CImpIStream::SetSize(std::uint64_t)
{
    g_TraceLog.Trace("CImpIStream::SetSize()");
    return kStreamOk;
}

StreamResult CImpIStream::CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written)
{
    g_TraceLog.Trace("CImpIStream::CopyTo()");
    return CopyStream(*this, target, size, read, written);
}

StreamResult CImpIStream::Commit(std::uint32_t)
{
    g_TraceLog.Trace("CImpIStream::Commit()");
    if (!m_bWriteOpen)
        return m_bFailed ? kStreamWriteFault : kStreamOk;
    const int rc = CloseTransfer();
    if (rc != 0) {
        g_TraceLog.Message("Cannot store %s: %s", m_strRemote.c_str(), LibraryError(rc).c_str());
        m_bFailed = true;
    }
    return m_bFailed ? kStreamWriteFault : kStreamOk;
}

StreamResult CImpIStream::Revert()
{
    g_TraceLog.Trace("CImpIStream::Revert()");
    return kStreamOk;
}

StreamResult CImpIStream::LockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    g_TraceLog.Trace("CImpIStream::LockRegion()");
    return kStreamOk;
}

StreamResult CImpIStream::UnlockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    g_TraceLog.Trace("CImpIStream::UnlockRegion()");
    return kStreamOk;
}

StreamResult CImpIStream::Stat(StreamStat*, std::uint32_t)
{
    g_TraceLog.Trace("CImpIStream::Stat()");
    return kStreamOk;
}

StreamResult CImpIStream::Clone(IStream** out)
{
    g_TraceLog.Trace("CImpIStream::Clone()");
    *out = new CImpIStream;
    return kStreamOk;
}
