// The commands that act on the rows themselves: open, rename in place,
// delete and new folder.
#include "FileView.h"

#include "FileListModel.h"
#include "MainFrame.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

void CFileView::OpenFileItem(const FileListItem& item)
{
    if (item.m_bIsDir) {
        g_TraceLog.Trace("CFileView.OpenFileItem: %s folder selected", item.m_strName.c_str());
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView)
            m_pDriveView->ChangeSelectedDirectory(item.m_strName);
#endif
        return;
    }
    if (item.m_nSession > 0 || m_nFtpHandle > 0)
        return;
    const std::string path = m_strCurPath.ends_with('/') ? m_strCurPath + item.m_strName
                                                         : m_strCurPath + "/" + item.m_strName;
    if (g_pMainFrame) {
        const int result = g_pMainFrame->ExecuteShell(this, QStringLiteral("open"), QString::fromUtf8(path), QString(),
                                                      QString(), 1);
        g_TraceLog.Trace("CFileView::OnLButtonDblClk: ShellExecute returns %d", result);
    }
}

void CFileView::OnFileRename() {}

bool CFileView::OnEndlabeledit(int, const std::string&)
{
    return false;
}

void CFileView::OnEditDelete() {}

void CFileView::DeleteFileItem(bool) {}

void CFileView::DeleteFtpFileItem() {}

int CFileView::FileDelete(const std::string&, bool)
{
    return 0;
}

void CFileView::OnFileNewFolder() {}
