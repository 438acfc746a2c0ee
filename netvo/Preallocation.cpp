#include "Preallocation.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace netvo {

long long FreeMargin(long long diskBytes)
{
    return std::max(1024LL * 1024 * 1024, diskBytes / 20);
}

long long NextReservation(long long written, long long reservedEnd, long long end, long long freeBytes,
                          long long diskBytes)
{
    const long long from = std::max(written, reservedEnd);
    if (from >= end || reservedEnd - written > Preallocation::kAhead)
        return 0;
    const long long room = freeBytes - FreeMargin(diskBytes);
    const long long wanted = std::min(Preallocation::kStep, end - from);
    const long long bytes = std::min(wanted, room);
    // Below a mebibyte a reservation saves less than its calls cost, unless
    // it completes the file.
    if (bytes <= 0 || (bytes < Preallocation::kMinimumReservation && bytes < end - from))
        return 0;
    return bytes;
}

Preallocation::Preallocation(int fd, long long from, long long to)
{
    if (fd < 0 || from < 0 || to - from < kMinimumReservation)
        return;
    m_fd = fd;
    m_reserving = true;
    m_reservedEnd = from;
    m_end = to;
    Advance(from);
}

Preallocation::~Preallocation()
{
    if (m_reservedAny)
        Release();
}

void Preallocation::Advance(long long written)
{
    if (!m_reserving || m_reservedEnd - written > kAhead)
        return;
    const int savedErrno = errno;
    struct statvfs vfs{};
    long long bytes = 0;
    if (::fstatvfs(m_fd, &vfs) == 0) {
        const auto block = static_cast<long long>(vfs.f_frsize);
        bytes = NextReservation(written, m_reservedEnd, m_end, static_cast<long long>(vfs.f_bavail) * block,
                                static_cast<long long>(vfs.f_blocks) * block);
    }
    const long long from = std::max(written, m_reservedEnd);
    if (bytes <= 0) {
        // All of it is reserved, or the disk is too full for more: the rest
        // is written as usual.
        m_reserving = false;
    } else if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, from, bytes) == 0) {
        m_reservedEnd = from + bytes;
        m_reservedAny = true;
    } else {
        // A refusal may still have allocated part of the range: that is
        // given back at once (with the steps before it), and no more are
        // tried.
        m_reserving = false;
        m_reservedAny = false;
        Release();
    }
    errno = savedErrno;
}

void Preallocation::Release()
{
    // Setting the size a file already has frees the blocks beyond its end
    // (ext4, XFS, Btrfs and tmpfs all do); punching a hole there would not.
    const int savedErrno = errno;
    struct stat st{};
    if (::fstat(m_fd, &st) == 0)
        ::ftruncate(m_fd, st.st_size);
    errno = savedErrno;
}

}  // namespace netvo
