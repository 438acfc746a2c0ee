// The tree after a paste: folders that arrived show under their new parent,
// and folders that were cut leave their old one.
#include "DriveView.h"

#include "DriveViewText.h"
#include "PrivateClip.h"
#include "TraceLog.h"

using namespace drivetree;

void CDriveView::RefreshPasteItems(const PrivateClip& clip, QTreeWidgetItem* targetItem,
                                   const std::string& sourceFolder, const std::string& targetFolder, bool cut,
                                   int sourceHandle)
{
    g_TraceLog.Trace("CDriveView::RefreshPasteItems: Begin.");
    QTreeWidgetItem* target = targetItem ? targetItem : FindPathItem(targetFolder, 0);
    if (target) {
        if (m_hDragItem) {
            g_TraceLog.Trace("CDriveView::RefreshPasteItems: Moved source tree to target.");
            CopyItem(m_hDragItem, target);
        } else if (!clip.items.empty()) {
            g_TraceLog.Trace("CDriveView::RefreshPasteItems: Add tree item if it is not there yet.");
            for (const PrivateClipItem& item : clip.items) {
                if (item.m_bIsDir)
                    CopyItem(item.m_strName, target);
            }
        }
    }
    if (!cut)
        return;
    g_TraceLog.Trace("CDriveView::RefreshPasteItems: Remove the cut tree items. %s, hndl = %d", sourceFolder.c_str(),
                     sourceHandle);
    QTreeWidgetItem* source = FindPathItem(sourceFolder, sourceHandle);
    if (!source)
        return;
    for (const PrivateClipItem& item : clip.items) {
        if (!item.m_bIsDir)
            continue;
        if (QTreeWidgetItem* child = FindItem(source, item.m_strName)) {
            g_TraceLog.Trace("CDriveView::RefreshPasteItems: Remove %s", item.m_strName.c_str());
            RemoveFolderItem(child);
        }
    }
}

void CDriveView::CopyItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target)
{
    if (!dragged || !target) {
        g_TraceLog.Trace("CDriveView::CopyItem: Src or Target does not exist.");
        return;
    }
    CopyItem(S(dragged->text(0)), target);
}

void CDriveView::CopyItem(const std::string& folderName, QTreeWidgetItem* target)
{
    if (folderName.empty() || !target) {
        g_TraceLog.Trace("CDriveView::CopyItem: Src or Target does not exist.");
        return;
    }
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    if (target->childCount() == 0) {
        g_TraceLog.Trace("CDriveView::CopyItem: No Children, add a dummy.");
        AddPlaceholder(target, true);
    } else if (target->isExpanded()) {
        g_TraceLog.Trace("CDriveView::CopyItem: Target is expanded.");
        if (!FindItem(target, folderName)) {
            const int handle = GetItemData(target) ? GetItemData(target)->m_nFtpHandle : 0;
            QTreeWidgetItem* added = NewFolderItem(target, folderName, handle, true);
            const std::string path = GetPathFromItem(added, false);
            if (handle > 0)
                HasFtpSubFolders(added, path);
            else
                HasSubFolders(added, path);
        }
    } else {
        g_TraceLog.Trace("CDriveView:: Has children, but not expanded.");
    }
    m_bFilling = wasFilling;
}
