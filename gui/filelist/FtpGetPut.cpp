// FTP Get and FTP Put: transfers by name, with restart and type override.
#include "FileView.h"

#include "FtpSession.h"
#include "FtpTransferDlg.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

namespace {

// A remote name counts as a full path when it starts at the server's root:
// "/x" on Unix-style servers, "\x" or "C:..." on DOS-style ones.
bool IsFullRemotePath(const std::string& name)
{
    if (name.starts_with('/') || name.starts_with('\\'))
        return true;
    return name.size() >= 2 && name[1] == ':';
}

// The folder part of a remote path, with its separator.
std::string RemoteFolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RemoteNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CSession* ShownSession(int handle, const char* what)
{
    CSession* session = handle > 0 ? g_GetSession(handle) : nullptr;
    if (!session)
        g_TraceLog.Message("No FTP server folder is shown, cannot %s: select a server folder in the tree first.", what);
    return session;
}

// Runs the dialog of `mode` and returns its request, ready for the
// transfer; false when the user cancelled.
bool AskTransfer(QWidget* parent, CFtpTransferDlg::Mode mode, const std::string& remote,
                        const std::string& shownFolder, FtpTransferRequest& request)
{
    CFtpTransferDlg dialog(mode, parent);
    FtpTransferRequest initial;
    initial.m_strRemote = remote;
    dialog.SetRequest(initial);
    if (dialog.Run() != QDialog::Accepted)
        return false;
    request = dialog.GetRequest();
    // A bare name means a file in the folder the list shows, whatever
    // folder the server's connection happens to stand in.
    if (!IsFullRemotePath(request.m_strRemote))
        request.m_strRemote = shownFolder + request.m_strRemote;
    // "Default" leaves the type to the program-wide Transfer Mode, so that
    // "Binary On All" holds here as for every other transfer.
    if (request.m_nType == 0)
        request.m_nType = g_nTransferType;
    return true;
}

}  // namespace

void CFileView::OnFtpGet()
{
    g_TraceLog.Trace("CFileView.OnFtpGet: Begin");
    if (!ShownSession(m_nFtpHandle, "get a file"))
        return;
    FtpTransferRequest request;
    if (!AskTransfer(this, CFtpTransferDlg::Get, GetSelectedFileName(), FolderWithSeparator(), request))
        return;
    // The dialog's loop may have run anything; look the session up again.
    CSession* session = ShownSession(m_nFtpHandle, "get a file");
    if (!session)
        return;
    int rc;
    {
        CWaitCursor wait;
        rc = RunFtpGet(*session, request);
    }
    // A failure has shown its reason; a success says where the file went.
    if (rc == 0)
        g_TraceLog.Message("%s copied to %s", request.m_strRemote.c_str(), request.m_strLocal.c_str());
}

void CFileView::OnFtpPut()
{
    g_TraceLog.Trace("CFileView.OnFtpPut: Begin");
    if (!ShownSession(m_nFtpHandle, "put a file"))
        return;
    FtpTransferRequest request;
    if (!AskTransfer(this, CFtpTransferDlg::Put, GetSelectedFileName(), FolderWithSeparator(), request))
        return;
    CSession* session = ShownSession(m_nFtpHandle, "put a file");
    if (!session)
        return;
    int rc;
    {
        CWaitCursor wait;
        rc = RunFtpPut(*session, request);
    }
    if (rc == 0)
        g_TraceLog.Message("%s copied to %s", request.m_strLocal.c_str(), request.m_strRemote.c_str());
    // The new or longer file shows in the list when it went into the
    // folder shown.
    if (rc == 0 && RemoteFolderOf(request.m_strRemote) == FolderWithSeparator()) {
        RefreshView();
        SelectItem(RemoteNameOf(request.m_strRemote));
    }
}
