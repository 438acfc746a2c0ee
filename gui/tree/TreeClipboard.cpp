// The tree's clipboard commands: Copy and Cut of one folder item, and Paste
// into the selected folder of whatever the clipboard holds (our own items,
// or files another program copied).
#include "DriveView.h"

#include "DlgFileCopy.h"
#include "DriveViewText.h"

#include "FtpSession.h"
#include "IconList.h"
#include "OleDS.h"
#include "Prompt.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_VIEWS
#include "FileView.h"
#include "WaitHook.h"
#endif

#include <QClipboard>
#include <QGuiApplication>
#include <QPalette>


using namespace drivetree;

namespace {

// The item's own icon while it is drawn dimmed.
constexpr int kUndimmedIconRole = Qt::UserRole + 1;

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && EndsWithSeparator(path))
        path.pop_back();
    return path;
}

}  // namespace

COleDS* CDriveView::CreateOleDS(QTreeWidgetItem* item, bool cut)
{
    g_TraceLog.Trace("CDriveView.CreateOleDS: Enter");
    TreeItemData* data = GetItemData(item);
    if (!item || !item->parent() || !data || IsPlaceholder(item) || data->m_strName.empty())
        return nullptr;
    const int handle = data->m_nFtpHandle > 0 ? GetFtpHandle(item) : 0;
    if (data->m_nFtpHandle > 0 && handle <= 0)
        return nullptr;
    std::string folder = GetPathFromItem(item->parent(), false);
    AppendSeparator(folder, handle);
    m_pDoc->m_strClipSource = folder;

    PrivateClipHeader header;
    header.m_bCut = cut;
    header.m_nSession = handle;
    header.m_strPath = folder;
    PrivateClipItem record;
    record.m_bIsDir = 1;
    record.m_strName = S(item->text(0));
    if (!IsSafeName(record.m_strName))
        return nullptr;
    g_TraceLog.Trace("CDriveView.CreateOleDS: %s%s", folder.c_str(), record.m_strName.c_str());
    return new COleDS(header, {record});
}

bool CDriveView::CanCopyItem(QTreeWidgetItem* item)
{
    return item && item->parent() && !IsPlaceholder(item) && GetItemData(item);
}

bool CDriveView::CanEditCopy() const
{
    return CanCopyItem(currentItem());
}

void CDriveView::OnEditCopy()
{
    g_TraceLog.Trace("CDriveView.OnEditCopy: Enter");
    if (COleDS* source = CreateOleDS(currentItem(), false)) {
        ClearCutMark();
        QGuiApplication::clipboard()->setMimeData(source);
    }
}

void CDriveView::OnEditCut()
{
    g_TraceLog.Trace("CDriveView.OnEditCut: Enter");
    QTreeWidgetItem* item = currentItem();
    COleDS* source = CreateOleDS(item, true);
    if (!source)
        return;
    ClearCutMark();
    m_pCutSource = source;
    QGuiApplication::clipboard()->setMimeData(source);
    // Drawn dimmed until it is pasted or the clipboard holds something else.
    m_hCutItem = item;
    item->setData(0, kUndimmedIconRole, item->icon(0));
    item->setIcon(0, DimmedIcon(item->icon(0)));
    item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
}

void CDriveView::ClearCutMark()
{
    QTreeWidgetItem* item = m_hCutItem;
    m_hCutItem = nullptr;
    m_pCutSource = nullptr;
    if (!item)
        return;
    const QVariant icon = item->data(0, kUndimmedIconRole);
    if (icon.isValid())
        item->setIcon(0, icon.value<QIcon>());
    item->setData(0, kUndimmedIconRole, QVariant());
    item->setData(0, Qt::ForegroundRole, QVariant());
}

bool CDriveView::CanEditPaste() const
{
    QTreeWidgetItem* item = currentItem();
    return item && !IsPlaceholder(item) && GetItemData(item)
           && CanPasteData(QGuiApplication::clipboard()->mimeData());
}

bool CDriveView::OnEditPaste()
{
    QTreeWidgetItem* item = currentItem();
    if (!item || IsPlaceholder(item) || !GetItemData(item))
        return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const bool cut = IsCutData(data);
    const bool pasted = PasteData(data, item);
    // What was cut is gone from its place now: pasting it again would find
    // nothing, so the clipboard lets go of it, as file managers do.
    if (pasted && cut) {
        ClearCutMark();
        QGuiApplication::clipboard()->clear();
    }
    return pasted;
}

bool CDriveView::PasteData(const QMimeData* data, QTreeWidgetItem* target)
{
    if (OffersShellFileList(data))
        return ProcessHDROP(data, target, IsCutData(data));
    if (OffersPrivateFormat(data))
        return ProcessOleObject(data, target, false);
    return false;
}

bool CDriveView::ProcessOleObject(const QMimeData* data, QTreeWidgetItem* target, bool move)
{
    const COleDS* own = COleDS::Own(data);
    if (!own || own->Clip().IsEmpty() || !target)
        return false;
#ifdef TAVO_HAVE_VIEWS
    CWaitCursor wait;
#endif
    g_TraceLog.Trace("CDriveView.ProcessOleObject: Enter");
    // Our own copy: the clipboard may change while the paste waits on the
    // network.
    const PrivateClip clip = own->Clip();
    const std::string targetFolder = GetPathFromItem(target, false);
    const int targetHandle = GetFtpHandle(target);
    if (GetItemData(target) && GetItemData(target)->m_nFtpHandle > 0 && targetHandle <= 0)
        return false;
    std::string targetWithSeparator = targetFolder;
    AppendSeparator(targetWithSeparator, targetHandle);
    const int sourceHandle = clip.header.m_nSession > 0 ? clip.header.m_nSession : 0;
    const std::string& sourceFolder = clip.header.m_strPath;
    const bool cut = clip.header.m_bCut;
    move = move || cut;

    bool ok = true;
    if (targetHandle <= 0 && sourceHandle <= 0) {
        ok = ProcessLocalCopy(clip, targetWithSeparator, target, move);
    } else {
        CDlgFileCopy dialog(move ? CDlgFileCopy::ModeMove : CDlgFileCopy::ModeCopy, window());
        dialog.show();
        m_pCopyDialog = &dialog;
        const bool samePlace = sourceHandle == targetHandle;
        for (const PrivateClipItem& item : clip.items) {
            if (!ok)
                break;
            g_TraceLog.Trace("CDriveView.ProcessOleObject: Path = %s, Filename = %s", sourceFolder.c_str(),
                             item.m_strName.c_str());
            const std::string source = clip.SourcePath(item);
            const std::string destination = targetWithSeparator + item.m_strName;
            dialog.SetFileNames(sourceFolder, targetWithSeparator, item.m_strName);
            if (item.m_bIsDir && samePlace && WithoutTrailingSeparator(source) == targetFolder) {
                CPrompt::Stop(QStringLiteral("Cannot %1 %2: The destination folder is the same as the source folder")
                                  .arg(move ? QStringLiteral("Move") : QStringLiteral("Copy"), Q(item.m_strName)),
                              move ? QStringLiteral("Error Moving Files") : QStringLiteral("Error Coping Files"));
                ok = false;
                break;
            }
            if (item.m_bIsDir)
                g_TraceLog.Trace("CDriveView.ProcessOleObject: Directory = %s", item.m_strName.c_str());
            ok = DoPaste(source, destination, sourceHandle, targetHandle, item.m_bIsDir != 0, move);
        }
        if (ok)
            RefreshPasteItems(clip, target, sourceFolder, targetWithSeparator, cut || move, sourceHandle);
        m_pCopyDialog = nullptr;
        dialog.Stop();
    }
    if (ok) {
        if (target == m_hCurrentItem)
            g_TraceLog.Trace("CDriveView.ProcessOleObject: Target is in current view. Refresh File view");
        else
            g_TraceLog.Trace("CDriveView.ProcessOleObject: Paste completed.");
    } else {
        g_TraceLog.Trace("CDriveView.ProcessOleObject: Paste failed.");
    }
    // Even a paste that stopped half way changed folders; the list shows
    // them as they are now.
    RefreshFileListAfterPaste(target, sourceFolder, sourceHandle);
    return ok;
}

bool CDriveView::ProcessHDROP(const QMimeData* data, QTreeWidgetItem* target, bool move)
{
    g_TraceLog.Trace("CDriveView::ProcessHDROP: Moving = %s", move ? "TRUE" : "FALSE");
    g_TraceLog.Trace("CDriveView::ProcessHDROP: Process CF_HDROP");
    if (!target || !GetItemData(target))
        return false;
    const std::vector<std::string> paths = LocalPathsFromData(data);
    if (paths.empty())
        return false;
    g_TraceLog.Trace("CDriveView::ProcessHDROP: Get HDROP");
    const std::string targetFolder = GetPathFromItem(target, false);
    const int targetHandle = GetFtpHandle(target);
    // Read before the paste: a moved folder is not there afterwards.
    std::vector<std::string> folders;
    for (const std::string& path : paths) {
        if (m_pDoc->IsLocalDirectory(path))
            folders.push_back(path);
    }
    bool ok = true;
    if (GetItemData(target)->m_nFtpHandle > 0) {
        if (targetHandle <= 0)
            return false;
        g_TraceLog.Trace("CDriveView::ProcessHDROP: Queryfile = %u", static_cast<unsigned>(paths.size()));
        std::string targetWithSeparator = targetFolder;
        AppendSeparator(targetWithSeparator, targetHandle);
#ifdef TAVO_HAVE_VIEWS
        CWaitCursor wait;
#endif
        CDlgFileCopy dialog(move ? CDlgFileCopy::ModeMove : CDlgFileCopy::ModeCopy, window());
        dialog.show();
        m_pCopyDialog = &dialog;
        for (size_t i = 0; i < paths.size() && ok; ++i) {
            const std::string& path = paths[i];
            g_TraceLog.Trace("%u) %s", static_cast<unsigned>(i), path.c_str());
            const std::string name = LastComponent(path);
            const bool isFolder = m_pDoc->IsLocalDirectory(path);
            const std::string destination = targetWithSeparator + name;
            g_TraceLog.Trace("CDriveView::ProcessHDROP: Copy %s to %s, isDir = %d", path.c_str(),
                             destination.c_str(), isFolder ? 1 : 0);
            if (isFolder)
                g_TraceLog.Trace("CDriveView.ProcessHDROP: Copy Directory = %s", name.c_str());
            else
                g_TraceLog.Trace("CDriveView.ProcessHDROP: Copy  %s", name.c_str());
            dialog.SetFileNames(path.substr(0, path.size() - name.size()), targetWithSeparator, name);
            ok = DoPaste(path, destination, 0, targetHandle, isFolder, move);
        }
        m_pCopyDialog = nullptr;
        dialog.Stop();
    } else {
        ok = ProcessLocalCopy(paths, targetFolder, move);
    }
    if (ok)
        RefreshDroppedItems(folders, target, move);
    RefreshFileListAfterPaste(target, std::string(), 0);
    return ok;
}

void CDriveView::RefreshDroppedItems(const std::vector<std::string>& folders, QTreeWidgetItem* target, bool move)
{
    const bool intoTrash = IsRecycleBin(GetPathFromItem(target, false));
    for (const std::string& path : folders) {
        const std::string name = LastComponent(path);
        // Gone from its place: moved, or dropped into the Trash.
        if (move || intoTrash) {
            const std::string parent = path.substr(0, path.size() - name.size());
            QTreeWidgetItem* from = FindPathItem(parent, 0);
            if (QTreeWidgetItem* child = from ? FindItem(from, name) : nullptr)
                RemoveFolderItem(child);
        }
        if (!intoTrash)
            CopyItem(name, target);
    }
}

void CDriveView::RefreshFileListAfterPaste(QTreeWidgetItem* target, const std::string& sourceFolder, int sourceHandle)
{
#ifdef TAVO_HAVE_VIEWS
    if (!g_pFileView)
        return;
    const std::string shown = WithoutTrailingSeparator(g_pFileView->GetCurrentPath());
    const int shownHandle = g_pFileView->GetFtpHandle();
    const bool showsTarget = target && WithoutTrailingSeparator(GetPathFromItem(target, false)) == shown
                             && GetFtpHandle(target) == shownHandle;
    // A cut from the list leaves rows behind that are gone now.
    const bool showsSource = !sourceFolder.empty() && WithoutTrailingSeparator(sourceFolder) == shown
                             && (sourceHandle > 0 ? sourceHandle : 0) == shownHandle;
    if (!showsTarget && !showsSource)
        return;
    const std::string server = g_pFileView->GetServer();
    const std::string path = g_pFileView->GetCurrentPath();
    if (shownHandle > 0)
        g_pFileView->ShowFtpFolder(server, shownHandle, path);
    else
        g_pFileView->ShowLocalFolder(path);
#else
    (void)target;
    (void)sourceFolder;
    (void)sourceHandle;
#endif
}
