// The C interface: argument checks, handle lookup, and the guarantee that no
// exception leaves the library.
#include "netvo32.h"

#include "Certificates.h"
#include "HandleTable.h"
#include "Listing.h"
#include "RemoteFiles.h"
#include "Result.h"
#include "ServerToServer.h"
#include "Stream.h"
#include "Transfer.h"

#include <cstring>
#include <new>
#include <string>

using namespace netvo;

namespace {

int Guarded(int code, const char* text) noexcept
{
    try {
        return SetLastError(code, text);
    } catch (...) {
        return code;
    }
}

template <typename F>
int Call(F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Guarded(NETVO_E_INTERNAL, "out of memory");
    } catch (...) {
        return Guarded(NETVO_E_INTERNAL, "internal error");
    }
}

// For calls that may run while a stream is open: settings, queries that do
// not talk to the server, and the stream calls themselves.
template <typename F>
int WithAnySession(int handle, F&& body) noexcept
{
    return Call([&]() -> int {
        std::shared_ptr<Session> s = FindSession(handle);
        if (!s)
            return SetLastError(NETVO_E_BADHANDLE, "handle " + std::to_string(handle) + ": unknown connection handle");
        s->control.ClearFailure();
        return body(*s);
    });
}

// For calls that talk to the server: while a stream is open, the next reply
// on the control connection is the stream's, so they must wait for its close.
template <typename F>
int WithSession(int handle, F&& body) noexcept
{
    return WithAnySession(handle, [&](Session& s) {
        return s.stream ? s.Fail(NETVO_E_STATE, "a transfer stream is open") : body(s);
    });
}

// Copies with truncation and NUL termination; the length copied, or 0.
int CopyText(const std::string& text, char* buf, int size)
{
    if (!buf || size <= 0)
        return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

std::string Str(const char* s) { return s ? s : ""; }

int Open(const char* host, int port, int security = NETVO_SECURE_AUTO) noexcept
{
    return Call([&]() -> int {
        if (!host)
            return SetLastError(NETVO_E_BADARG, "open: no host");
        if (security < NETVO_SECURE_NONE || security > NETVO_SECURE_IMPLICIT)
            return SetLastError(NETVO_E_BADARG, std::string(host) + ": not a security mode");
        const bool implicitTls = security == NETVO_SECURE_IMPLICIT;
        auto endpoint = ParseHost(host, port > 0 ? port : implicitTls ? 990 : 21);
        if (!endpoint || port < 0 || port > 65535)
            return SetLastError(NETVO_E_BADARG, std::string(host) + ": not a valid host");
        if (port > 0)
            endpoint->port = port;
        std::shared_ptr<Session> s = AddSession(*endpoint);
        if (!s)
            return SetLastError(NETVO_E_INTERNAL, "no more handles");
        if (implicitTls)
            s->SetImplicit();
        else
            s->SetSecurity(security);
        Op op = s->MakeOp();
        int rc = s->Connect(op);
        if (rc != 0) {
            RemoveSession(s->Id());
            return rc;
        }
        return s->Id();
    });
}

}  // namespace

extern "C" {

NETVO_API const char* netvo_strerror(int code) { return ResultText(code); }
NETVO_API const char* netvo_version(void) { return "netvo32 1.0"; }
NETVO_API void netvo_setwaithook(netvo_waithook hook, void* context) { SetWaitHook(hook, context); }
NETVO_API void netvo_setdefaulttimeout(int seconds) { SetDefaultTimeout(seconds); }
NETVO_API int netvo_pause(int handle, int milliseconds) { return Pause(handle, milliseconds); }

NETVO_API int netvo_release(int handle)
{
    return WithAnySession(handle, [&](Session& s) {
        s.Quit();
        RemoveSession(handle);
        return 0;
    });
}

NETVO_API int ftp_open(const char* host) { return Open(host, 0); }
NETVO_API int ftp_openport(const char* host, int port) { return Open(host, port); }

NETVO_API int ftp_lasterror(char* buf, int size)
{
    return Call([&] { return CopyText(LastError(), buf, size); });
}

NETVO_API int ftp_copyreplystr(int handle, char* buf, int size)
{
    if (buf && size > 0)
        buf[0] = '\0';
    return WithAnySession(handle, [&](Session& s) { return CopyText(s.control.Last().Text(), buf, size); });
}

NETVO_API int ftp_relogin(int handle, const char* user, const char* password, const char* account)
{
    return WithSession(handle, [&](Session& s) {
        if (!user || !*user)
            return s.Fail(NETVO_E_BADARG, "USER");
        Op op = s.MakeOp();
        return s.Login(user, Str(password), Str(account), op);
    });
}

NETVO_API int ftp_gatelogin(int handle, const char* host, const char* user, const char* password, const char* account)
{
    return WithSession(handle, [&](Session& s) {
        if (!host || !*host || !user || !*user)
            return s.Fail(NETVO_E_BADARG, "USER");
        Op op = s.MakeOp();
        return s.GateLogin(host, user, Str(password), Str(account), op);
    });
}

NETVO_API int ftp_Logout(int handle)
{
    return WithAnySession(handle, [](Session& s) {
        s.Quit();
        return 0;
    });
}

NETVO_API int ftp_quit(int handle) { return ftp_Logout(handle); }

NETVO_API int ftp_isconnected(int handle)
{
    // With a stream open the replies on the control connection are the
    // stream's: look, but take nothing.
    int rc = WithAnySession(handle, [](Session& s) {
        return (s.stream ? s.control.PeekAlive() : s.control.CheckAlive()) ? 1 : 0;
    });
    return rc > 0 ? 1 : 0;
}

NETVO_API int ftp_setascii(int handle)
{
    return WithSession(handle, [](Session& s) {
        s.settings.ascii = true;
        if (!s.control.IsOpen())
            return 0;  // sent before the next transfer
        Op op = s.MakeOp();
        return s.EnsureType(true, op);
    });
}

NETVO_API int ftp_setbinary(int handle)
{
    return WithSession(handle, [](Session& s) {
        s.settings.ascii = false;
        if (!s.control.IsOpen())
            return 0;
        Op op = s.MakeOp();
        return s.EnsureType(false, op);
    });
}

NETVO_API int ftp_SetPassive(int handle, int passive)
{
    return WithAnySession(handle, [&](Session& s) {
        s.settings.passive = passive != 0;
        return 0;
    });
}

NETVO_API int ftp_SetDataPort(int handle, int port)
{
    return WithAnySession(handle, [&](Session& s) {
        if (port < 0 || port > 65535)
            return s.Fail(NETVO_E_BADARG, "data port");
        s.settings.dataPort = port;
        return 0;
    });
}

NETVO_API int ftp_setreceivetimeout(int handle, int seconds)
{
    return WithAnySession(handle, [&](Session& s) {
        s.settings.timeoutSeconds = seconds > 0 ? seconds : 0;
        return 0;
    });
}

NETVO_API int ftp_statusbox(int handle, int on)
{
    return WithAnySession(handle, [&](Session& s) {
        s.settings.statusbox = on != 0;
        return 0;
    });
}

NETVO_API int ftp_SetLocalPath(int handle, const char* dir)
{
    return WithAnySession(handle, [&](Session& s) {
        s.settings.localPath = Str(dir);
        return 0;
    });
}

NETVO_API int ftp_ClearLocalPath(int handle) { return ftp_SetLocalPath(handle, nullptr); }

NETVO_API int ftp_localunique(int handle)
{
    return WithAnySession(handle, [](Session& s) {
        s.settings.localUnique = !s.settings.localUnique;
        return 0;
    });
}

NETVO_API int ftp_storeunique(int handle)
{
    return WithAnySession(handle, [](Session& s) {
        s.settings.storeUnique = !s.settings.storeUnique;
        return 0;
    });
}

NETVO_API int ftp_cd(int handle, const char* dir)
{
    return WithSession(handle, [&](Session& s) { return SimpleCommand(s, "CWD", dir ? dir : ""); });
}

NETVO_API int ftp_cdup(int handle)
{
    return WithSession(handle, [](Session& s) { return SimpleCommand(s, "CDUP", nullptr); });
}

NETVO_API int ftp_pwd(int handle, char* buf, int size)
{
    if (buf && size > 0)
        buf[0] = '\0';
    return WithSession(handle, [&](Session& s) {
        if (!buf || size <= 0)
            return s.Fail(NETVO_E_BADARG, "PWD");
        std::string dir;
        int rc = PrintDirectory(s, dir);
        if (rc != 0)
            return rc;
        if (dir.size() + 1 > static_cast<size_t>(size))
            return s.Fail(NETVO_E_BADARG, "PWD: buffer too small");
        CopyText(dir, buf, size);
        return 0;
    });
}

NETVO_API int ftp_mkdir(int handle, const char* name)
{
    return WithSession(handle, [&](Session& s) { return SimpleCommand(s, "MKD", name ? name : ""); });
}

NETVO_API int ftp_rmdir(int handle, const char* name)
{
    return WithSession(handle, [&](Session& s) { return SimpleCommand(s, "RMD", name ? name : ""); });
}

NETVO_API int ftp_delete(int handle, const char* path)
{
    return WithSession(handle, [&](Session& s) { return SimpleCommand(s, "DELE", path ? path : ""); });
}

NETVO_API int ftp_rename(int handle, const char* oldName, const char* newName)
{
    return WithSession(handle, [&](Session& s) { return Rename(s, oldName, newName); });
}

NETVO_API int ftp_site(int handle, const char* text)
{
    return WithSession(handle, [&](Session& s) { return SimpleCommand(s, "SITE", text ? text : ""); });
}

NETVO_API int ftp_noop(int handle)
{
    return WithSession(handle, [](Session& s) { return SimpleCommand(s, "NOOP", nullptr); });
}

NETVO_API int ftp_Exists(int handle, const char* path)
{
    // Only a definite "exists" is 1: a refused helper command leaves the
    // question open.
    return WithSession(handle, [&](Session& s) { return Exists(s, path); }) == 1 ? 1 : 0;
}

NETVO_API int ftp_quote(int handle, const char* command, char* buf, int size)
{
    if (buf && size > 0)
        buf[0] = '\0';
    return WithSession(handle, [&](Session& s) {
        std::string text;
        int rc = Quote(s, command, text);
        if (text.empty() && rc != 0)
            text = LastError();
        CopyText(text, buf, size);
        return rc;
    });
}

NETVO_API int ftp_get(int handle, const char* remote, const char* local)
{
    return WithSession(handle, [&](Session& s) { return Get(s, remote, local, 0); });
}

NETVO_API int ftp_put(int handle, const char* local, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return Put(s, local, remote, PutMode::Store, 0); });
}

NETVO_API int ftp_append(int handle, const char* local, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return Put(s, local, remote, PutMode::Append, 0); });
}

NETVO_API int ftp_RestartGet(int handle, const char* remote, const char* local)
{
    return WithSession(handle, [&](Session& s) { return Get(s, remote, local, -1); });
}

NETVO_API int ftp_RestartPut(int handle, const char* local, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return Put(s, local, remote, PutMode::Store, -1); });
}

NETVO_API int ftp_RestartGetAt(int handle, const char* remote, const char* local, long long offset)
{
    return WithSession(handle, [&](Session& s) {
        return offset < 0 ? s.Fail(NETVO_E_BADARG, "REST") : Get(s, remote, local, offset);
    });
}

NETVO_API int ftp_RestartPutAt(int handle, const char* local, const char* remote, long long offset)
{
    return WithSession(handle, [&](Session& s) {
        return offset < 0 ? s.Fail(NETVO_E_BADARG, "REST") : Put(s, local, remote, PutMode::Store, offset);
    });
}

NETVO_API int ftp_RestartAppendAt(int handle, const char* local, const char* remote, long long offset)
{
    return WithSession(handle, [&](Session& s) {
        return offset < 0 ? s.Fail(NETVO_E_BADARG, "REST") : Put(s, local, remote, PutMode::Append, offset);
    });
}

namespace {

int Remote(int src, int dest, const char* source, const char* destName, int binary, RemoteMode mode,
           long long offset) noexcept
{
    return WithSession(src, [&](Session& from) {
        std::shared_ptr<Session> to = FindSession(dest);
        if (!to)
            return SetLastError(NETVO_E_BADHANDLE, "handle " + std::to_string(dest) + ": unknown connection handle");
        if (to.get() == &from)
            return from.Fail(NETVO_E_BADARG, "server to server: same handle twice");
        if (to->stream)
            return to->Fail(NETVO_E_STATE, "a transfer stream is open");
        to->control.ClearFailure();
        return RemoteCopy(from, *to, source, destName, binary != 0, mode, offset);
    });
}

}  // namespace

NETVO_API int ftp_RemotePut(int src, int dest, const char* source, const char* destName, int binary, int resume)
{
    return Remote(src, dest, source, destName, binary, RemoteMode::Store, resume ? -1 : 0);
}

NETVO_API int ftp_RemoteAppend(int src, int dest, const char* source, const char* destName, int binary)
{
    return Remote(src, dest, source, destName, binary, RemoteMode::Append, 0);
}

NETVO_API int ftp_RestartRemotePutAt(int src, int dest, const char* source, const char* destName, long long offset,
                                     int binary)
{
    if (offset < 0)
        return Guarded(NETVO_E_BADARG, "REST: negative offset");
    return Remote(src, dest, source, destName, binary, RemoteMode::Store, offset);
}

NETVO_API int ftp_RestartRemoteAppendAt(int src, int dest, const char* source, const char* destName,
                                        long long offset, int binary)
{
    if (offset < 0)
        return Guarded(NETVO_E_BADARG, "REST: negative offset");
    return Remote(src, dest, source, destName, binary, RemoteMode::Append, offset);
}

NETVO_API int ftp_dir(int handle, const char* remote, const char* localFile)
{
    return WithSession(handle, [&](Session& s) { return ListToFile(s, ListKind::Long, remote, localFile); });
}

NETVO_API int ftp_ls(int handle, const char* remote, const char* localFile)
{
    return WithSession(handle, [&](Session& s) { return ListToFile(s, ListKind::Names, remote, localFile); });
}

NETVO_API int ftp_hasmlsd(int handle)
{
    return WithAnySession(handle, [](Session& s) { return OffersMachineListing(s) ? 1 : 0; });
}

NETVO_API int ftp_mlsd(int handle, const char* remote, const char* localFile)
{
    return WithSession(handle, [&](Session& s) { return ListToFile(s, ListKind::Machine, remote, localFile); });
}

NETVO_API int ftp_mget(int handle, const char* pattern)
{
    return WithSession(handle, [&](Session& s) { return MultiGet(s, pattern); });
}

NETVO_API int ftp_mput(int handle, const char* pattern, int /*reserved*/)
{
    return WithSession(handle, [&](Session& s) { return MultiPut(s, pattern); });
}

NETVO_API int ftp_openreadfordir(int handle, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return OpenStream(s, StreamKind::List, remote); });
}

NETVO_API int ftp_openreadforlist(int handle, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return OpenStream(s, StreamKind::NameList, remote); });
}

NETVO_API int ftp_openreadforget(int handle, const char* remote)
{
    return WithSession(handle, [&](Session& s) { return OpenStream(s, StreamKind::Get, remote); });
}

NETVO_API int ftp_openwriteforput(int handle, const char* remote, int append)
{
    return WithSession(handle, [&](Session& s) {
        return OpenStream(s, append ? StreamKind::Append : StreamKind::Put, remote);
    });
}

NETVO_API int ftp_readdata(int handle, void* buf, int size)
{
    return WithAnySession(handle, [&](Session& s) { return ReadStream(s, static_cast<char*>(buf), size); });
}

NETVO_API int ftp_writedata(int handle, const void* buf, int size)
{
    return WithAnySession(handle, [&](Session& s) { return WriteStream(s, static_cast<const char*>(buf), size); });
}

NETVO_API int ftp_closeread(int handle)
{
    return WithAnySession(handle, [](Session& s) { return CloseStream(s, false); });
}

NETVO_API int ftp_closewrite(int handle)
{
    return WithAnySession(handle, [](Session& s) { return CloseStream(s, true); });
}

NETVO_API long long ftp_GetFileSize(int handle, const char* remote)
{
    long long size = 0;
    int rc = WithSession(handle, [&](Session& s) { return FileSize(s, remote, size); });
    return rc == 0 ? size : 0;
}

NETVO_API int ftp_GetFileDateTime(int handle, const char* remote, char* buf, int size, const char* /*format*/)
{
    if (buf && size > 0)
        buf[0] = '\0';
    return WithSession(handle, [&](Session& s) {
        if (!buf || size < 15)
            return s.Fail(NETVO_E_BADARG, "MDTM: buffer too small");
        std::string stamp;
        int rc = FileTime(s, remote, stamp);
        if (rc == 0)
            CopyText(stamp, buf, size);
        return rc;
    });
}

}  // extern "C"

NETVO_API int ftp_opensecure(const char* host, int port, int security) { return Open(host, port, security); }

NETVO_API int ftp_setsecurity(int handle, int security)
{
    return WithAnySession(handle, [&](Session& s) { return s.SetSecurity(security); });
}

NETVO_API int ftp_negotiatesecurity(int handle)
{
    return WithSession(handle, [](Session& s) {
        Op op = s.MakeOp();
        return s.Negotiate(op);
    });
}

NETVO_API int ftp_getsecurity(int handle)
{
    return WithAnySession(handle, [](Session& s) { return s.SecurityLevel(); });
}

NETVO_API void netvo_setcerthook(netvo_certhook hook, void* context) { SetCertHook(hook, context); }
