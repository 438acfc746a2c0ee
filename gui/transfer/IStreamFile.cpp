#include "IStreamFile.h"

#include "TraceLog.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

CIStreamFile::CIStreamFile()
{
    g_TraceLog.Trace("CIStreamFile: creating the object");
}

CIStreamFile::~CIStreamFile()
{
    g_TraceLog.Trace("CIStreamFile: destroying the object");
    if (m_nRefCount != 0)
        g_TraceLog.Trace("CIStreamFile: Deleting the object too early");
    if (m_fd >= 0)
        ::close(m_fd);
}

int CIStreamFile::Open(const std::string& path, unsigned flags)
{
    g_TraceLog.Trace("CIStreamFile::Open()");
    if (m_fd >= 0)
        return 0;
    int mode = (flags & modeReadWrite) ? O_RDWR : (flags & modeWrite) ? O_WRONLY : O_RDONLY;
    if (flags & modeCreate)
        mode |= O_CREAT | O_TRUNC;
    m_fd = ::open(path.c_str(), mode | O_CLOEXEC, 0666);
    m_strPath = path;
    if (m_fd < 0)
        g_TraceLog.Message("Cannot open %s: %s", path.c_str(), std::strerror(errno));
    return m_fd >= 0 ? 1 : 0;
}

StreamResult CIStreamFile::QueryInterface(const StreamIid& iid, void** out)
{
    g_TraceLog.Trace("CIStreamFile::QueryInterface()");
    if (iid == kIidUnknown || iid == kIidStream) {
        *out = this;
        AddRef();
        return kStreamOk;
    }
    *out = nullptr;
    return kStreamNoInterface;
}

long CIStreamFile::AddRef()
{
    g_TraceLog.Trace("CIStreamFile::AddRef(), count before = %d", static_cast<int>(m_nRefCount));
    return ++m_nRefCount;
}

long CIStreamFile::Release()
{
    const long count = --m_nRefCount;
    g_TraceLog.Trace("CIStreamFile::Release(), count remain = %ld", count);
    if (count == 0)
        delete this;
    return count;
}

StreamResult CIStreamFile::Read(void* buffer, std::uint32_t size, std::uint32_t* read)
{
    g_TraceLog.Trace("CIStreamFile::Read()");
    if (read)
        *read = 0;
    if (m_fd < 0)
        return kStreamFalse;
    ssize_t n;
    do
        n = ::read(m_fd, buffer, std::min<std::uint32_t>(size, INT_MAX));
    while (n < 0 && errno == EINTR);
    g_TraceLog.Trace("CIStreamFile::Read %ld bytes", static_cast<long>(n));
    if (n < 0) {
        g_TraceLog.Message("Cannot read %s: %s", m_strPath.c_str(), std::strerror(errno));
        return kStreamReadFault;
    }
    if (n == 0)
        return kStreamFalse;
    m_nBytesRead += n;
    if (read)
        *read = static_cast<std::uint32_t>(n);
    return kStreamOk;
}

StreamResult CIStreamFile::Write(const void* buffer, std::uint32_t size, std::uint32_t* written)
{
    g_TraceLog.Trace("CIStreamFile::Write()");
    if (written)
        *written = 0;
    if (m_fd < 0)
        return kStreamWriteFault;
    const char* bytes = static_cast<const char*>(buffer);
    std::uint32_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            g_TraceLog.Message("Cannot write %s: %s", m_strPath.c_str(),
                               std::strerror(n < 0 ? errno : ENOSPC));
            if (written)
                *written = done;
            return kStreamWriteFault;
        }
        done += static_cast<std::uint32_t>(n);
    }
    if (written)
        *written = done;
    return kStreamOk;
}

StreamResult CIStreamFile::Seek(std::int64_t offset, int origin, std::uint64_t* position)
{
    g_TraceLog.Trace("CIStreamFile::Seek()");
    if (m_fd < 0)
        return kStreamOk;
    const int whence = origin == kSeekCur ? SEEK_CUR : origin == kSeekEnd ? SEEK_END : SEEK_SET;
    const off_t at = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (at < 0)
        return kStreamReadFault;
    if (position)
        *position = static_cast<std::uint64_t>(at);
    return kStreamOk;
}

StreamResult CIStreamFile::SetSize(std::uint64_t)
{
    g_TraceLog.Trace("CIStreamFile::SetSize()");
    return kStreamOk;
}

StreamResult CIStreamFile::CopyTo(IStream* target, std::uint64_t size, std::uint64_t* read, std::uint64_t* written)
{
    g_TraceLog.Trace("CIStreamFile::CopyTo()");
    return CopyStream(*this, target, size, read, written);
}

StreamResult CIStreamFile::Commit(std::uint32_t)
{
    g_TraceLog.Trace("CIStreamFile::Commit()");
    if (m_fd < 0)
        return kStreamOk;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        g_TraceLog.Message("Cannot store %s: %s", m_strPath.c_str(), std::strerror(errno));
        return kStreamWriteFault;
    }
    return kStreamOk;
}

StreamResult CIStreamFile::Revert()
{
    g_TraceLog.Trace("CIStreamFile::Revert()");
    return kStreamOk;
}

StreamResult CIStreamFile::LockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    g_TraceLog.Trace("CIStreamFile::LockRegion()");
    return kStreamOk;
}

StreamResult CIStreamFile::UnlockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    g_TraceLog.Trace("CIStreamFile::UnlockRegion()");
    return kStreamOk;
}

StreamResult CIStreamFile::Stat(StreamStat*, std::uint32_t)
{
    g_TraceLog.Trace("CIStreamFile::Stat()");
    return kStreamOk;
}

StreamResult CIStreamFile::Clone(IStream** out)
{
    g_TraceLog.Trace("CIStreamFile::Clone()");
    *out = new CIStreamFile;
    return kStreamOk;
}
