// The file list's clipboard commands: Copy and Cut of the selected rows,
// Paste through the tree into the folder shown, and Append of a local file
// to the selected file on the server.
#include "FileView.h"

#include "FileListModel.h"
#include "FtpSession.h"
#include "ListingRules.h"
#include "OleDS.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"

#ifdef TAVO_HAVE_TREE
#include "DlgFileCopy.h"
#include "DriveView.h"
#endif

#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>
#include <memory>

std::string CFileView::FolderWithSeparator() const
{
    std::string folder = m_strCurPath;
    if (!folder.ends_with('/') && !folder.ends_with('\\'))
        folder += g_GetSeparator(m_nFtpHandle);
    return folder;
}

std::vector<std::pair<int, const FileListItem*>> CFileView::SelectedCopyableRows() const
{
    QModelIndexList indexes = m_pSelection->selectedRows(CFileListModel::ColName);
    std::sort(indexes.begin(), indexes.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::pair<int, const FileListItem*>> rows;
    for (const QModelIndex& index : indexes) {
        const FileListItem* item = m_pModel->Item(index.row());
        // "." and ".." stand for this folder and its parent: copying or
        // cutting them would take far more than the user picked.
        if (item && !IsDotName(item->m_strName) && IsSafeName(item->m_strName))
            rows.emplace_back(index.row(), item);
    }
    return rows;
}

int CFileView::ComputeSizeForClipB() const
{
    g_TraceLog.Trace("CFileView.ComputeSizeForClipB: Enter");
    const auto rows = SelectedCopyableRows();
    if (rows.empty()) {
        g_TraceLog.Trace("CFileView.ComputeSizeForClipB: No Item selected!");
        return 0;
    }
    size_t total = FolderWithSeparator().size() + kPrivateClipHeaderSize;
    for (const auto& [row, item] : rows) {
        g_TraceLog.Trace("CFileView.ComputeSizeForClipB: Item %d was selected!", row);
        total += item->m_strName.size() + kPrivateClipItemSize;
    }
    g_TraceLog.Trace("CFileView.ComputeSizeForClipB: Total length = %d!", static_cast<int>(total));
    return static_cast<int>(total);
}

int CFileView::ComputeSizeForHdrop() const
{
    const auto rows = SelectedCopyableRows();
    if (rows.empty()) {
        g_TraceLog.Trace("CFileView.ComputeSizeForHdrop: No Item selected!");
        return 0;
    }
    size_t total = 1;
    for (const auto& [row, item] : rows)
        total += FolderWithSeparator().size() + item->m_strName.size() + 1;
    g_TraceLog.Trace("CFileView.ComputeSizeForHdrop: Total length = %d!", static_cast<int>(total));
    return static_cast<int>(total);
}

COleDS* CFileView::PackForClip(bool cut)
{
    g_TraceLog.Trace("CFileView.PackForClip: Enter");
    const auto rows = SelectedCopyableRows();
    if (rows.empty())
        return nullptr;
    ComputeSizeForClipB();
    if (m_pDoc)
        m_pDoc->m_strClipSource = m_strCurPath;
    PrivateClipHeader header;
    header.m_bCut = cut;
    header.m_nSession = m_nFtpHandle > 0 ? m_nFtpHandle : 0;
    header.m_strPath = FolderWithSeparator();
    std::vector<PrivateClipItem> items;
    std::vector<int> cutRows;
    items.reserve(rows.size());
    for (const auto& [row, item] : rows) {
        g_TraceLog.Trace("CFileView.PackForClip: Pack Item %d, mask = %u", row, 0u);
        g_TraceLog.Trace("CFileView.PackForClip: %s%s", header.m_strPath.c_str(), item->m_strName.c_str());
        items.push_back({item->m_bIsDir ? 1 : 0, static_cast<std::int32_t>(item->m_tModified), item->m_strName});
        cutRows.push_back(row);
    }
    if (header.m_nSession == 0) {
        for (const PrivateClipItem& item : items)
            g_TraceLog.Trace("CFileView.PackForClip: HDROP add %s%s", header.m_strPath.c_str(),
                             item.m_strName.c_str());
    }
    auto* source = new COleDS(header, std::move(items));
    if (header.m_nSession > 0) {
        // The rows as file descriptors, with their sizes, for receivers
        // that take file contents.
        std::vector<const FileListItem*> described;
        for (const auto& [row, item] : rows)
            described.push_back(item);
        CreateFileGroupDescriptor(header.m_nSession, header.m_strPath, described);
        g_TraceLog.Trace("Call DelayRenderData");
        source->SetFileDescriptors(g_FileDescList);
    }
    m_pCutSource = nullptr;
    if (cut)
        m_pModel->SetCut(cutRows);
    else
        m_pModel->ClearCut();
    return source;
}

bool CFileView::CanEditCopy() const
{
    return !SelectedCopyableRows().empty();
}

void CFileView::OnEditCopy()
{
    if (COleDS* source = PackForClip(false))
        QGuiApplication::clipboard()->setMimeData(source);
}

void CFileView::OnEditCut()
{
    COleDS* source = PackForClip(true);
    if (!source)
        return;
    m_pCutSource = source;
    QGuiApplication::clipboard()->setMimeData(source);
}

bool CFileView::CanEditPaste() const
{
#ifdef TAVO_HAVE_TREE
    return m_pDriveView && m_pDriveView->CanEditPaste();
#else
    return false;
#endif
}

bool CFileView::OnEditPaste()
{
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        return m_pDriveView->OnEditPaste();
#endif
    return false;
}

int CFileView::IsATextFileOnClipB(const QMimeData* data)
{
    const COleDS* own = COleDS::Own(data);
    const int rc = own && own->Clip().items.size() == 1 && !own->Clip().items.front().m_bIsDir ? 1 : 0;
    g_TraceLog.Trace("CFileView::IsATextFileOnClipB: rc = %d", rc);
    return rc;
}

bool CFileView::CanEditAppend() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return IsSelectedFtpTextFile() && OffersPrivateFormat(data) && IsATextFileOnClipB(data);
}

void CFileView::OnEditAppend()
{
#ifdef TAVO_HAVE_TREE
    CDlgFileCopy dialog(CDlgFileCopy::ModeAppend, window());
    dialog.show();
#endif
    g_TraceLog.Trace("CFileView.OnEditAppend: Begin");
    const FileListItem* row = GetSelectedItem();
    if (!row || IsDotName(row->m_strName)) {
        g_TraceLog.Message("No target selected, cannot append.");
        return;
    }
    CSession* session = g_GetSession(row->m_nSession);
    if (!session) {
        g_TraceLog.Message("Target is not an FTP server, cannot append.");
        return;
    }
    const std::string target = FolderWithSeparator() + row->m_strName;
    // Only our own data: the same bytes from another program name files
    // of that program's world.
    const COleDS* own = COleDS::Own(QGuiApplication::clipboard()->mimeData());
    if (!own || own->Clip().IsEmpty()) {
        g_TraceLog.Message("Clipboard is empty, cannot append.");
        return;
    }
    const PrivateClip clip = own->Clip();
    if (clip.items.size() != 1) {
        g_TraceLog.Message("More than one source file, cannot append.");
        return;
    }
    if (clip.items.front().m_bIsDir) {
        g_TraceLog.Message("Source is a directory, cannot append.");
        return;
    }
    if (clip.header.m_nSession > 0) {
        g_TraceLog.Message("Source is a file on an FTP server, cannot append: copy it to a local folder first.");
        return;
    }
    const std::string source = clip.SourcePath(clip.items.front());
#ifdef TAVO_HAVE_TREE
    dialog.SetFileNames(clip.header.m_strPath, FolderWithSeparator(), clip.items.front().m_strName);
#endif
    CWaitCursor wait;
    g_TraceLog.Trace("CFileView::OnEditAppend: Append %s to %s.", source.c_str(), target.c_str());
    const int rc = session->AppendFile(source, target, g_nTransferType);
    if (rc != 0)
        CTavoDoc::ShowLastError();
#ifdef TAVO_HAVE_TREE
    dialog.Stop();
#endif
    if (rc == 0)
        RefreshView();
}
