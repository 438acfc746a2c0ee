// The commands that act on the rows themselves: open, delete and new
// folder. Renaming in place is in FileRename.cpp.
#include "FileView.h"

#include "FileListModel.h"
#include "FtpSession.h"
#include "ListingRules.h"
#include "LocalFileOp.h"
#include "MainFrame.h"
#include "OpenTempFile.h"
#include "Prompt.h"
#include "RowNames.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QTreeView>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Q(const std::string& text)
{
    return QString::fromUtf8(text);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

// --- Open ------------------------------------------------------------------------

void CFileView::OpenFileItem(const FileListItem& item)
{
    if (item.m_bIsDir) {
        g_TraceLog.Trace("CFileView.OpenFileItem: %s folder selected", item.m_strName.c_str());
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView && !IsDotName(item.m_strName))
            m_pDriveView->ChangeSelectedDirectory(item.m_strName);
#endif
        return;
    }
    if (IsDotName(item.m_strName))
        return;
    const std::string path = FolderWithSeparator() + item.m_strName;
    if (m_nFtpHandle <= 0) {
        if (g_pMainFrame) {
            const int result =
                g_pMainFrame->ExecuteShell(this, QStringLiteral("open"), Q(path), QString(), QString(), 1);
            g_TraceLog.Trace("CFileView::OnLButtonDblClk: ShellExecute returns %d", result);
        }
        return;
    }

    // A listing does not say what a link points to: a link that the
    // server lets us enter is a folder, shown here; any other is a file.
    if (item.m_bIsLink) {
        CSession* session = g_GetSession(m_nFtpHandle);
        if (session && session->Cd(path, true) == 0) {
            g_TraceLog.Trace("CFileView.OpenFileItem: %s is a link to a folder", item.m_strName.c_str());
            const std::string server = m_strServer;
            ShowFtpFolder(server, m_nFtpHandle, path);
            return;
        }
    }
    if (!CPrompt::AskYesNo(Q(item.m_strName), QStringLiteral("Open FTP file?")))
        return;
    CWaitCursor wait;
    g_TraceLog.Message("Transferring file, please wait...");
    int error = 0;
    const std::string temporary = CreateOpenTempFile(QDir::tempPath().toStdString(), item.m_strName, error);
    if (temporary.empty()) {
        g_TraceLog.Message("Cannot make a temporary file in %s: %s", QDir::tempPath().toUtf8().constData(),
                           std::strerror(error));
        return;
    }
    g_TraceLog.Trace("CFileView::OnLButtonDblClk: Temporary file = %s", temporary.c_str());
    CSession* session = g_GetSession(m_nFtpHandle);
    const int rc = session ? session->GetFile(path, temporary, TransferAuto) : kSessionNotTried;
    if (rc != 0) {
        // Nothing half-transferred is left behind or opened.
        ::unlink(temporary.c_str());
        g_TraceLog.Message("Cannot open %s: the transfer failed", path.c_str());
        if (session)
            session->GetLastErrorString();  // the reason, as a message
        return;
    }
    if (g_pMainFrame)
        g_pMainFrame->ExecuteShell(this, QStringLiteral("open"), Q(temporary), QString(), QString(), 1);
    if (CPrompt::AskYesNo(QStringLiteral("Do you want to delete the temporary file?"), Q(temporary)))
        ::unlink(temporary.c_str());
}

// --- Delete ----------------------------------------------------------------------

bool CFileView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_pDetails || watched == m_pIcons)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
            OnFileRename();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            OnEditDelete();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CFileView::OnEditDelete()
{
    g_TraceLog.Trace("CFileView.OnEditDelete: Begin");
    if (m_nFtpHandle > 0)
        DeleteFtpFileItem();
    else
        DeleteFileItem(QApplication::keyboardModifiers() & Qt::ShiftModifier);
}

void CFileView::DeleteFileItem(bool permanent)
{
    const std::string folder = FolderWithSeparator();
    std::vector<std::string> paths;
    for (const FileListItem* item : GetSelectedItems()) {
        if (!IsDotName(item->m_strName))
            paths.push_back(folder + item->m_strName);
    }
    if (paths.empty())
        return;
    // There is no desktop dialog to ask here: the file operation asks
    // once, for the Trash or, with Shift, for good.
    LocalOpOptions options;
    options.allowUndo = !permanent;
    options.confirm = true;
    const LocalOpResult result = CLocalFileOp::Delete(paths, options);
    // A delete that stopped half-way has still removed some rows' files.
    bool changed = result.ok;
    for (const std::string& path : paths)
        changed = changed || !Exists(path);
    if (changed)
        RefreshView();
}

void CFileView::DeleteFtpFileItem()
{
    g_TraceLog.Trace("CFileView.DeleteFtpFileItem: Begin");
    // Copies: each server call lets events through.
    std::vector<FileListItem> items;
    for (const FileListItem* item : GetSelectedItems())
        items.push_back(*item);
    const int handle = m_nFtpHandle;
    const std::string folder = FolderWithSeparator();
    int deleted = 0;
    for (const FileListItem& item : items) {
        // Deleting ".." would empty the parent of the shown folder.
        if (IsDotName(item.m_strName))
            continue;
        const std::string path = folder + item.m_strName;
        if (!CPrompt::AskYesNo(QStringLiteral("Delete %1?").arg(Q(path)), QStringLiteral("Delete")))
            continue;
        bool ok = false;
        if (item.m_bIsDir && item.m_nSession > 0)
            ok = m_pDoc && m_pDoc->DeleteFtpDirectory(path, handle);
        else
            ok = FileDelete(path, true) == 1;
        if (!ok) {
            g_TraceLog.Message("Cannot delete %s; the rows after it were left as they are.", path.c_str());
            break;
        }
        ++deleted;
    }
    if (deleted > 0 && m_nFtpHandle == handle) {
        const std::string server = m_strServer;
        const std::string shown = m_strCurPath;
        ShowFtpFolder(server, handle, shown);
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView)
            m_pDriveView->Refresh();
#endif
    }
    g_TraceLog.Trace("CFileView.DeleteFtpFileItem: End");
}

int CFileView::FileDelete(const std::string& path, bool bNoPrompt)
{
    g_TraceLog.Trace("CFileView.FileDelete: Delete file \"%s\"", path.c_str());
    if (path.empty())
        return 0;
    if (!bNoPrompt && !CPrompt::AskYesNo(QStringLiteral("Delete %1?").arg(Q(path)), QStringLiteral("Delete"))) {
        g_TraceLog.Trace("CFileView.FileDelete: %s not deleted", path.c_str());
        return 0;
    }
    int deleted = 0;
    if (m_nFtpHandle <= 0) {
        deleted = ::unlink(path.c_str()) == 0 ? 1 : 0;
        if (!deleted)
            g_TraceLog.Message("Cannot delete %s: %s", path.c_str(), std::strerror(errno));
    } else {
        g_TraceLog.Trace("CFileView.FileDelete: FTP Delete");
        CSession* session = g_GetSession(m_nFtpHandle);
        deleted = session && session->FtpDelete(path) == 0 ? 1 : 0;
        if (!deleted && session)
            session->GetLastErrorString();  // the server's answer, as a message
    }
    g_TraceLog.Trace(deleted ? "CFileView.FileDelete: %s deleted" : "CFileView.FileDelete: %s not deleted",
                     path.c_str());
    return deleted;
}

// --- New folder --------------------------------------------------------------------

void CFileView::OnFileNewFolder()
{
    std::vector<std::string> taken;
    for (int row = 0; row < m_pModel->Count(); ++row)
        taken.push_back(m_pModel->Item(row)->m_strName);
    const std::string folder = FolderWithSeparator();
    std::string name = NextNewFolderName(taken);
    CWaitCursor wait;
    if (m_nFtpHandle <= 0) {
        // The disk can hold names the rows do not show yet: the next free
        // one is taken then, never an existing folder.
        int error = 0;
        for (size_t tries = 0; tries < 1000; ++tries) {
            error = ::mkdir((folder + name).c_str(), 0777) == 0 ? 0 : errno;
            if (error != EEXIST)
                break;
            taken.push_back(name);
            name = NextNewFolderName(taken);
        }
        if (error != 0) {
            g_TraceLog.Message("Cannot make the folder %s: %s", (folder + name).c_str(), std::strerror(error));
            return;
        }
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView)
            m_pDriveView->AddFolderItem(m_strCurPath, name);
#endif
        const std::string shown = m_strCurPath;
        ShowLocalFolder(shown);
    } else {
        CSession* session = g_GetSession(m_nFtpHandle);
        const int rc = session ? session->FtpMkDir(folder + name) : kSessionNotTried;
        if (rc != 0) {
            g_TraceLog.Message("Cannot make the folder %s:", (folder + name).c_str());
            if (session)
                session->GetLastErrorString();  // the server's answer, as a message
            return;
        }
        const std::string server = m_strServer;
        const std::string shown = m_strCurPath;
        ShowFtpFolder(server, m_nFtpHandle, shown);
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView)
            m_pDriveView->Refresh();
#endif
    }
    // The user names the new folder at once.
    if (SelectItem(name))
        EditRow(m_pModel->FindName(name));
}
