// netvo32 without a network, for the script engine's fuzzers: no call ever
// connects, so every call on a connection fails as on a closed one. The local
// helpers touch nothing either (no change of folder, no rename, no delete):
// whatever a fuzzed script says, the process's files and working folder stay
// as they are. Pauses return at once, so that retry rules cannot stall a run,
// and after a few pauses in one input they report a cancel, as a host's wait
// hook would: a rule that retries for ever ends.
//
// Buffers are filled the way the library fills them (always terminated), and
// every text argument is read to its end, so that the sanitizers see a
// missing terminator in what the engine hands over.
#include "ScriptFuzzSupport.h"

#include <netvo32.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kNotConnected = "not connected (fuzzing stub)";
constexpr int kPausesPerInput = 8;
int g_pauses = 0;

int CopyText(const char* text, char* buf, int size)
{
    if (buf == nullptr || size <= 0)
        return 0;
    const size_t n = std::min(std::strlen(text), static_cast<size_t>(size) - 1);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

// Reads each text argument through, as the library would.
template <class... Texts>
int Fail(int code, Texts... texts)
{
    size_t total = 0;
    ((total += texts != nullptr ? std::strlen(texts) : 0), ...);
    volatile size_t read = total;
    (void)read;
    return code;
}

int Closed(const char* a = nullptr, const char* b = nullptr, const char* c = nullptr, const char* d = nullptr)
{
    return Fail(NETVO_E_NOTCONNECTED, a, b, c, d);
}

int Local(const char* a = nullptr, const char* b = nullptr)
{
    return Fail(NETVO_E_LOCALFILE, a, b);
}

}  // namespace

void NetvoStubNewInput()
{
    g_pauses = 0;
}

extern "C" {

const char* netvo_strerror(int code)
{
    return code == 0 ? "ok" : kNotConnected;
}
const char* netvo_version(void) { return "fuzzing stub"; }
void netvo_setwaithook(netvo_waithook, void*) {}
int netvo_pause(int, int)
{
    return ++g_pauses > kPausesPerInput ? NETVO_E_ABORTED : 0;
}
void netvo_setdefaulttimeout(int) {}
int netvo_release(int) { return NETVO_E_BADHANDLE; }

int ftp_open(const char* host) { return Fail(NETVO_E_CONNECT, host); }
int ftp_openport(const char* host, int) { return Fail(NETVO_E_CONNECT, host); }
int ftp_lasterror(char* buf, int size) { return CopyText(kNotConnected, buf, size); }
int ftp_copyreplystr(int, char* buf, int size)
{
    CopyText("", buf, size);
    return NETVO_E_NOTCONNECTED;
}
int ftp_relogin(int, const char* user, const char* password, const char* account)
{
    return Closed(user, password, account);
}
int ftp_gatelogin(int, const char* host, const char* user, const char* password, const char* account)
{
    return Closed(host, user, password, account);
}
int ftp_Logout(int) { return Closed(); }
int ftp_quit(int) { return Closed(); }
int ftp_isconnected(int) { return 0; }

int ftp_setascii(int) { return Closed(); }
int ftp_setbinary(int) { return Closed(); }
int ftp_SetPassive(int, int) { return Closed(); }
int ftp_SetDataPort(int, int) { return Closed(); }
int ftp_setreceivetimeout(int, int) { return Closed(); }
int ftp_statusbox(int, int) { return Closed(); }
int ftp_SetLocalPath(int, const char* dir) { return Closed(dir); }
int ftp_ClearLocalPath(int) { return Closed(); }
int ftp_localunique(int) { return Closed(); }
int ftp_storeunique(int) { return Closed(); }

int ftp_cd(int, const char* dir) { return Closed(dir); }
int ftp_cdup(int) { return Closed(); }
int ftp_pwd(int, char* buf, int size)
{
    CopyText("", buf, size);
    return NETVO_E_NOTCONNECTED;
}
int ftp_mkdir(int, const char* name) { return Closed(name); }
int ftp_rmdir(int, const char* name) { return Closed(name); }
int ftp_delete(int, const char* path) { return Closed(path); }
int ftp_rename(int, const char* oldName, const char* newName) { return Closed(oldName, newName); }
int ftp_site(int, const char* text) { return Closed(text); }
int ftp_noop(int) { return Closed(); }
int ftp_Exists(int, const char* path)
{
    Closed(path);
    return 0;
}
int ftp_quote(int, const char* command, char* buf, int size)
{
    CopyText("", buf, size);
    return Closed(command);
}

int ftp_get(int, const char* remote, const char* local) { return Closed(remote, local); }
int ftp_put(int, const char* local, const char* remote) { return Closed(local, remote); }
int ftp_append(int, const char* local, const char* remote) { return Closed(local, remote); }
int ftp_RestartGet(int, const char* remote, const char* local) { return Closed(remote, local); }
int ftp_RestartPut(int, const char* local, const char* remote) { return Closed(local, remote); }
int ftp_RestartGetAt(int, const char* remote, const char* local, long long) { return Closed(remote, local); }
int ftp_RestartPutAt(int, const char* local, const char* remote, long long) { return Closed(local, remote); }
int ftp_RestartAppendAt(int, const char* local, const char* remote, long long) { return Closed(local, remote); }

int ftp_RemotePut(int, int, const char* source, const char* destName, int, int) { return Closed(source, destName); }
int ftp_RemoteAppend(int, int, const char* source, const char* destName, int) { return Closed(source, destName); }
int ftp_RestartRemotePutAt(int, int, const char* source, const char* destName, long long, int)
{
    return Closed(source, destName);
}
int ftp_RestartRemoteAppendAt(int, int, const char* source, const char* destName, long long, int)
{
    return Closed(source, destName);
}

int ftp_dir(int, const char* remote, const char* localFile) { return Closed(remote, localFile); }
int ftp_ls(int, const char* remote, const char* localFile) { return Closed(remote, localFile); }
int ftp_mget(int, const char* pattern) { return Closed(pattern); }
int ftp_mput(int, const char* pattern, int) { return Closed(pattern); }

int ftp_openreadfordir(int, const char* remote) { return Closed(remote); }
int ftp_openreadforlist(int, const char* remote) { return Closed(remote); }
int ftp_openreadforget(int, const char* remote) { return Closed(remote); }
int ftp_openwriteforput(int, const char* remote, int) { return Closed(remote); }
int ftp_readdata(int, void*, int) { return Closed(); }
int ftp_writedata(int, const void*, int) { return Closed(); }
int ftp_closeread(int) { return Closed(); }
int ftp_closewrite(int) { return Closed(); }

long long ftp_GetFileSize(int, const char* remote)
{
    Closed(remote);
    return 0;
}
int ftp_GetFileDateTime(int, const char* remote, char* buf, int size, const char* format)
{
    CopyText("", buf, size);
    return Closed(remote, format);
}

int ftp_lcd(const char* dir) { return Local(dir); }
int f_getcwd(char* buf, int size)
{
    if (buf == nullptr || size <= 0)
        return NETVO_E_BADARG;
    CopyText("/fuzz-scratch", buf, size);
    return 0;
}
int f_getfileattr(const char* path)
{
    Local(path);
    return NETVO_FATTR_MISSING;
}
int f_fileattr_subdir(void) { return NETVO_FATTR_SUBDIR; }
int f_rename(const char* oldName, const char* newName) { return Local(oldName, newName); }
int f_rmdir(const char* dir) { return Local(dir); }
int f_deletefile(const char* path) { return Local(path); }

int f_GetMyIpAddress(char* buf, int size)
{
    CopyText("", buf, size);
    return NETVO_E_RESOLVE;
}
int f_GetIpAddress(const char* host, char* buf, int size)
{
    CopyText("", buf, size);
    return Fail(NETVO_E_RESOLVE, host);
}
int f_QuickPing(const char* host, int)
{
    Fail(0, host);
    return 0;
}

}  // extern "C"
