// Renaming a row in place: F2 or the Rename command starts the edit of the
// name, and the end of the edit renames the file or folder, locally or on
// the server, by full paths.
#include "FileView.h"

#include "FileListModel.h"
#include "FtpSession.h"
#include "IconList.h"
#include "ListingRules.h"
#include "RowNames.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <cstring>

#include <sys/stat.h>

void CFileView::OnFileRename()
{
    const int row = SelectedRow();
    if (row < 0) {
        g_TraceLog.Trace("CFileView.OnFileRename: No Item selected!");
        return;
    }
    GetListCtrl()->setFocus();
    EditRow(row);
}

void CFileView::EditRow(int row)
{
    const FileListItem* item = m_pModel->Item(row);
    // "." and ".." name this folder and its parent, not entries to rename.
    if (!item || IsDotName(item->m_strName))
        return;
    QAbstractItemView* view = GetListCtrl();
    const QModelIndex index = m_pModel->index(row, CFileListModel::ColName);
    m_pSelection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->scrollTo(index);
    view->edit(index);
}

bool CFileView::AcceptNewName(int row, const FileListItem& item, const std::string& newName) const
{
    const bool ftp = m_nFtpHandle > 0;
    std::string why = NewNameRefusal(newName, ftp ? g_GetSeparator(m_nFtpHandle) : std::string("/"));
    const std::string newPath = FolderWithSeparator() + newName;
    if (why.empty()) {
        // Servers of the Windows kind do not tell names apart by case.
        const CSession* session = ftp ? g_GetSession(m_nFtpHandle) : nullptr;
        const bool anyCase = session && (session->m_nOSType == OsDos || session->m_nOSType == OsNt
                                         || session->m_nOSType == OsNtUnix);
        const QString wanted = QString::fromUtf8(newName);
        for (int other = 0; other < m_pModel->Count() && why.empty(); ++other) {
            const std::string& name = m_pModel->Item(other)->m_strName;
            const bool same = name == newName
                              || (anyCase && QString::fromUtf8(name).compare(wanted, Qt::CaseInsensitive) == 0);
            if (other != row && same)
                why = newPath + " already exists";
        }
    }
    // The rows can be older than the disk. A server's rename replaces an
    // existing file without a word, so there the rows are all we can go by.
    struct stat st {};
    if (why.empty() && !ftp && ::lstat(newPath.c_str(), &st) == 0)
        why = newPath + " already exists";
    if (why.empty())
        return true;
    g_TraceLog.Message("Cannot rename %s to %s: %s", item.m_strName.c_str(), newName.c_str(), why.c_str());
    return false;
}

bool CFileView::OnEndlabeledit(int row, const std::string& newName)
{
    const FileListItem* current = m_pModel->Item(row);
    if (!current)
        return false;
    // A copy: the call to the server lets events through, and a listing
    // meanwhile would free the row's record.
    const FileListItem item = *current;
    if (newName == item.m_strName || IsDotName(item.m_strName))
        return false;
    if (!AcceptNewName(row, item, newName)) {
        g_TraceLog.Trace("CFileView.OnEndlabeledit: Rename failed");
        return false;
    }

    const std::string folder = FolderWithSeparator();
    const std::string oldPath = folder + item.m_strName;
    const std::string newPath = folder + newName;
    int rc = kSessionNotTried;
    if (m_nFtpHandle <= 0) {
        g_TraceLog.Trace("CFileView.OnEndlabeledit: Rename %s to %s", item.m_strName.c_str(), newName.c_str());
        rc = RenameLocalNoReplace(oldPath, newPath);
        if (rc != 0)
            g_TraceLog.Message("Cannot rename %s to %s: %s", oldPath.c_str(), newPath.c_str(), std::strerror(rc));
    } else if (CSession* session = g_GetSession(m_nFtpHandle)) {
        g_TraceLog.Trace("CFileView.OnEndlabeledit: Ftp Rename %s to %s", item.m_strName.c_str(), newName.c_str());
        rc = session->FtpRename(oldPath, newPath);
        if (rc != 0) {
            g_TraceLog.Message("Cannot rename %s to %s:", oldPath.c_str(), newPath.c_str());
            session->GetLastErrorString();  // the server's answer, as a message
        }
    } else {
        g_TraceLog.Message("Cannot rename %s: the connection to the server is closed", oldPath.c_str());
    }
    if (rc != 0) {
        g_TraceLog.Trace("CFileView.OnEndlabeledit: Rename failed");
        return false;
    }
    g_TraceLog.Trace("CFileView.OnEndlabeledit: Rename successful");
    ShowRenamedRow(row, item, newName);
#ifdef TAVO_HAVE_TREE
    if (item.m_bIsDir && m_pDriveView)
        m_pDriveView->ChangeSelectedDirectory(item.m_strName, newName);
#endif
    return true;
}

void CFileView::ShowRenamedRow(int row, const FileListItem& old, const std::string& newName)
{
    const FileListItem* now = m_pModel->Item(row);
    if (!now || now->m_strName != old.m_strName)
        row = m_pModel->FindName(old.m_strName);
    if (row < 0)
        return;
    const bool ftp = m_nFtpHandle > 0;
    // A local row keeps its full path; a server row its listing line.
    const std::string path = ftp ? old.m_strPath : FolderWithSeparator() + newName;
    QString type = old.m_strType;
    int icon = 0;
    if (old.m_bIsDir) {
        icon = ftp ? m_nFolderIcon : -1;  // a local folder's icon is looked up when drawn
    } else {
        const QString lookup = QString::fromUtf8(ftp ? newName : path);
        icon = m_pDoc ? m_pDoc->GetIconIndex(lookup, false, &type)
                      : CIconList::Instance().IndexForFileName(CTavoDoc::GetFileTitle(lookup), &type);
    }
    m_pModel->RenameRow(row, newName, path, type, icon);
}
