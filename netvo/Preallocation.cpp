#include "Preallocation.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace netvo {

namespace {

// Below this a reservation saves less than the calls cost.
constexpr long long kMinimumReservation = 1024 * 1024;

bool DiskHolds(int fd, long long bytes)
{
    struct statvfs vfs{};
    if (::fstatvfs(fd, &vfs) != 0)
        return false;
    const unsigned long long available =
        static_cast<unsigned long long>(vfs.f_bavail) * static_cast<unsigned long long>(vfs.f_frsize);
    return static_cast<unsigned long long>(bytes) < available;
}

}  // namespace

Preallocation::Preallocation(int fd, long long from, long long to)
{
    if (fd < 0 || from < 0 || to - from < kMinimumReservation || !DiskHolds(fd, to - from))
        return;
    m_fd = fd;
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, from, to - from) != 0) {
        // A refusal may still have allocated part of the range.
        Release();
        m_fd = -1;
    }
}

Preallocation::~Preallocation()
{
    if (m_fd >= 0)
        Release();
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
