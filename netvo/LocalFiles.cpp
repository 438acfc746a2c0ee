#include "LocalFiles.h"

#include "Result.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace netvo {

std::string SafeLastComponent(std::string_view name)
{
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.remove_suffix(1);
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name = name.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string_view::npos)
        return {};
    return std::string(name);
}

std::string LocalTarget(const Settings& settings, const char* local, std::string_view remote)
{
    std::string name;
    if (local && *local) {
        name = local;
        if (name.front() == '/' || settings.localPath.empty())
            return name;
    } else {
        name = SafeLastComponent(remote);
        if (name.empty())
            return {};
        if (settings.localPath.empty())
            return name;
    }
    std::string dir = settings.localPath;
    if (dir.back() != '/')
        dir += '/';
    return dir + name;
}

int OpenForGet(std::string& path, long long offset, bool unique)
{
    if (offset > 0) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        struct stat st{};
        // Writing at an offset past the end would leave a hole of zeros.
        if (::fstat(fd, &st) != 0 || st.st_size < offset || ::ftruncate(fd, offset) != 0 ||
            ::lseek(fd, offset, SEEK_SET) != offset) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    if (!unique)
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    // O_EXCL makes the choice of the free name race-free.
    std::string candidate = path;
    for (int n = 1; n < 10000; ++n) {
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        candidate = path + "." + std::to_string(n);
    }
    return -1;
}

long long LocalSize(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

}  // namespace netvo
