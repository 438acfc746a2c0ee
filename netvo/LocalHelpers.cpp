// Local file helpers without a connection handle.
#include "netvo32.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {

NETVO_API int ftp_lcd(const char* dir)
{
    if (!dir || !*dir)
        return NETVO_E_BADARG;
    return ::chdir(dir) == 0 ? 0 : NETVO_E_LOCALFILE;
}

NETVO_API int f_getcwd(char* buf, int size)
{
    if (!buf || size <= 0)
        return NETVO_E_BADARG;
    if (!::getcwd(buf, static_cast<size_t>(size))) {
        buf[0] = '\0';
        return errno == ERANGE ? NETVO_E_BADARG : NETVO_E_LOCALFILE;
    }
    return 0;
}

NETVO_API int f_getfileattr(const char* path)
{
    struct stat st{};
    if (!path || !*path || ::stat(path, &st) != 0)
        return NETVO_FATTR_MISSING;
    return S_ISDIR(st.st_mode) ? NETVO_FATTR_SUBDIR : NETVO_FATTR_NORMAL;
}

NETVO_API int f_fileattr_subdir(void) { return NETVO_FATTR_SUBDIR; }

NETVO_API int f_rename(const char* oldName, const char* newName)
{
    if (!oldName || !*oldName || !newName || !*newName)
        return NETVO_E_BADARG;
    return ::rename(oldName, newName) == 0 ? 0 : NETVO_E_LOCALFILE;
}

NETVO_API int f_rmdir(const char* dir)
{
    if (!dir || !*dir)
        return NETVO_E_BADARG;
    return ::rmdir(dir) == 0 ? 0 : NETVO_E_LOCALFILE;
}

NETVO_API int f_deletefile(const char* path)
{
    if (!path || !*path)
        return NETVO_E_BADARG;
    return ::unlink(path) == 0 ? 0 : NETVO_E_LOCALFILE;
}

}  // extern "C"
