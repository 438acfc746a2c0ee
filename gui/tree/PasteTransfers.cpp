#include "PasteTransfers.h"

#include "FtpSession.h"
#include "LocalFileOp.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_VIEWS
#include "WaitHook.h"
#endif

#include <netvo32.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace paste {

namespace {

// Files made here get the permissions any new file of the user gets; the
// exclusive creation of the part file made it private.
void GiveNewFileMode(const std::string& path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(path.c_str(), 0666 & ~mask);
}

// What a failed transfer left on a name that was free before goes again.
// After a Cancel the progress window would abort this as well: the Cancel
// has been acted on, so it is forgotten first.
void RemoveLeftover(CSession& session, const std::string& remote, int result)
{
#ifdef TAVO_HAVE_VIEWS
    if (IsCancel(result))
        CWaitHook::ClearCancel();
#else
    (void)result;
#endif
    // A server that broke off the transfer often closed the connection too.
    if (session.IsConnected() == 0 && session.CheckConnection() != 0)
        return;
    if (session.FtpDelete(remote) == 0)
        g_TraceLog.Trace("paste: removed the incomplete %s", remote.c_str());
}

}  // namespace

bool IsCancel(int result)
{
    return result == NETVO_E_ABORTED;
}

int DownloadFile(CSession& source, const std::string& remote, const std::string& local, int type)
{
    struct stat st {};
    if (::stat(local.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        g_TraceLog.Message("Cannot copy %s to %s: a folder of that name is there", remote.c_str(), local.c_str());
        return NETVO_E_LOCALFILE;
    }
    const std::string part = CreatePartFile(local);
    if (part.empty()) {
        g_TraceLog.Message("Cannot create a file beside %s: %s", local.c_str(), std::strerror(errno));
        return NETVO_E_LOCALFILE;
    }
    GiveNewFileMode(part);
    const int rc = source.GetFile(remote, part, type);
    if (rc != 0) {
        CTavoDoc::ShowLastError();
        ::unlink(part.c_str());
        return rc;
    }
    if (::rename(part.c_str(), local.c_str()) != 0) {
        g_TraceLog.Message("Cannot store %s: %s", local.c_str(), std::strerror(errno));
        ::unlink(part.c_str());
        return NETVO_E_LOCALFILE;
    }
    return 0;
}

int UploadFile(CSession& target, const std::string& local, const std::string& remote, int type, bool newName)
{
    const int rc = target.PutFile(local, remote, type);
    if (rc != 0) {
        // The true cause first: the clean-up below has its own replies.
        CTavoDoc::ShowLastError();
        if (newName)
            RemoveLeftover(target, remote, rc);
    }
    return rc;
}

int CopyBetweenServers(CSession& source, CSession& target, const std::string& from, const std::string& to, int type,
                       bool newName)
{
    const int rc = source.RemotePutFile(target.GetFtpHandle(), from, to, type);
    if (rc != 0) {
        CTavoDoc::ShowLastError();
        if (newName)
            RemoveLeftover(target, to, rc);
    }
    return rc;
}

}  // namespace paste
