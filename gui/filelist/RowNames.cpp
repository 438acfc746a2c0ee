#include "RowNames.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

std::string NewNameRefusal(const std::string& newName, const std::string& separator)
{
    if (newName.empty())
        return "a name cannot be empty";
    if (newName == "." || newName == "..")
        return "\"" + newName + "\" stands for a folder itself, not for a name in it";
    if (newName.find('/') != std::string::npos)
        return "a name cannot contain \"/\"";
    if (!separator.empty() && newName.find(separator) != std::string::npos)
        return "a name on this server cannot contain \"" + separator + "\"";
    if (newName.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return "a name cannot contain a line break or a NUL character";
    return std::string();
}

std::string NextNewFolderName(const std::vector<std::string>& taken)
{
    const auto isTaken = [&taken](const std::string& name) {
        const QString candidate = QString::fromUtf8(name);
        for (const std::string& existing : taken) {
            if (QString::compare(QString::fromUtf8(existing), candidate, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    std::string name = "NewFolder";
    // Each name in `taken` rules out at most one candidate, so one of the
    // first taken.size() + 1 numbered names is free.
    for (size_t i = 0; isTaken(name) && i <= taken.size(); ++i)
        name = "NewFolder" + std::to_string(i);
    return name;
}

int RenameLocalNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: check, then rename. The window
    // between the two is as small as it can be made there.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
