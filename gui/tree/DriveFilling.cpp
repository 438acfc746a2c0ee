// The folder tree: filling branches on expansion, locally and on servers.
#include "DriveView.h"

#include "DriveViewText.h"

#include "FtpSession.h"
#include "IconList.h"
#include "Profile.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "DirFile.h"
#include "MenuEntry.h"
#include "Prompt.h"

#ifdef TAVO_HAVE_VIEWS
#include "FileView.h"
#include "WaitHook.h"
#endif

#include <netvo32.h>

#include <QDir>
#include <QFileInfo>

#include <unistd.h>


using namespace drivetree;

namespace {

// The subfolder names of a local folder, in the order the system gives them;
// false when the folder cannot be read.
bool ScanFolders(const std::string& path, std::vector<std::string>& names, bool firstOnly)
{
    const QDir dir(Q(path));
    if (!dir.exists() || !QFileInfo(Q(path)).isReadable())
        return false;
    // Hidden folders too: the file list shows every entry, and a folder opened
    // there must be found in the tree.
    const QStringList entries =
        dir.entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries) {
        names.push_back(S(entry));
        if (firstOnly)
            break;
    }
    return true;
}

}  // namespace

// --- Filling ----------------------------------------------------------------

bool CDriveView::HasSubFolders(QTreeWidgetItem* item, const std::string& path)
{
    std::vector<std::string> names;
    if (!ScanFolders(path, names, true) || names.empty())
        return false;
    AddPlaceholder(item, true);
    return true;
}

// Whether a server folder holds subfolders is only known by listing it, and
// listing every child of a folder just read would cost a listing per child:
// 301 round trips to open a folder of 300 folders. Every server folder
// therefore gets an expand button; the one listing made when it is opened
// decides, and a folder found empty then loses its button.
bool CDriveView::HasFtpSubFolders(QTreeWidgetItem* item, const std::string& /*path*/)
{
    TreeItemData* data = GetItemData(item);
    if (!data || data->m_nFtpHandle <= 0)
        return false;
    AddPlaceholder(item, true);
    return true;
}

int CDriveView::ExpandLocalFolder(QTreeWidgetItem* item, const std::string& path)
{
    std::vector<std::string> names;
    if (!ScanFolders(path, names, false)) {
        if (!item->parent())
            AddPlaceholder(item, true);
        return 0;
    }
    const bool underDrive = item->parent() == nullptr;
    int added = 0;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    for (const std::string& name : names) {
        g_TraceLog.Trace("Add directory = %s", name.c_str());
        const std::string child = JoinLocal(path, name);
        if ((underDrive || name == "Trash") && IsRecycleBin(child)) {
            g_TraceLog.Trace("%s --> Is Recycle Bin", child.c_str());
            NewItem(item, Q(name), m_nRecycleImage, m_nRecycleImage, true, 0, name, true);
            ++added;
            continue;
        }
        QTreeWidgetItem* folder = NewFolderItem(item, name, 0, true);
        HasSubFolders(folder, child);
        ++added;
    }
    m_bFilling = wasFilling;
    return added;
}

int CDriveView::ExpandFtpFolder(QTreeWidgetItem* item, const std::string& path)
{
    TreeItemData* data = GetItemData(item);
    int added = 0;
    bool listed = false;
    if (data && data->m_nFtpHandle > 0) {
        const int handle = data->m_nFtpHandle;
        std::vector<std::string> names;
        {
#ifdef TAVO_HAVE_VIEWS
            CWaitCursor wait;
#endif
            CDirFile dir(handle);
            if (dir.CreateDir(path)) {
                listed = true;
                std::string line;
                while (dir.GetNextDir(line)) {
                    if (!dir.IsDir())
                        continue;
                    const std::string name = dir.GetFileName();
                    if (!name.empty() && !IsDotName(name))
                        names.push_back(name);
                }
            }
        }
        // The item may have gone while the listing waited for the network.
        const bool wasFilling = m_bFilling;
        m_bFilling = true;
        for (const std::string& name : names) {
            // Each child gets its button without a listing of its own.
            QTreeWidgetItem* folder = NewFolderItem(item, name, handle, false);
            AddPlaceholder(folder, true);
            ++added;
        }
        m_bFilling = wasFilling;
    }
    // A folder read and found without subfolders loses its button. One that
    // could not be read keeps it, so the user can try again; so does a
    // server item, which stands for the whole server, as a volume does.
    if (added == 0 && (!listed || !item->parent()))
        AddPlaceholder(item, true, QStringLiteral(" "));
    return added;
}

void CDriveView::OnItemExpanding(QTreeWidgetItem* item, bool expanding)
{
    if (!item || IsPlaceholder(item))
        return;
    TreeItemData* data = GetItemData(item);
    const int handle = data ? data->m_nFtpHandle : 0;
    const std::string path = GetPathFromItem(item, false);
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    if (expanding) {
        g_TraceLog.Trace("CDriveView.OnItemExpanding: Item expanding");
        DeleteChildren(item);
        const int added = handle > 0 ? ExpandFtpFolder(item, path) : ExpandLocalFolder(item, path);
        if (added == 0) {
            // Refused: a local folder loses its button; servers, FTP folders
            // and unreadable volumes keep a placeholder for another try.
            if (item->childCount() == 0)
                item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
            collapseItem(item);
        } else if (!item->isExpanded()) {
            expandItem(item);
        }
    } else {
        g_TraceLog.Trace("CDriveView.OnItemExpanding: Item collapse");
        DeleteChildren(item);
        if (!item->parent()) {
            AddPlaceholder(item, GetItemImage(item) != kImageRemovable && GetItemImage(item) != kImageCdRom);
        } else if (handle > 0) {
            HasFtpSubFolders(item, path);
        } else {
            HasSubFolders(item, path);
        }
        if (item->isExpanded())
            collapseItem(item);
    }
    m_bFilling = wasFilling;
    // Reading a server's folder logs in again when the connection had dropped.
    if (handle > 0)
        UpdateSecurityEmblems();
    SyncSelection();
}

// The control may have moved the selection while the view changed items
// itself; the rest of the program follows it now.
void CDriveView::SyncSelection()
{
    if (m_bFilling)
        return;
    QTreeWidgetItem* current = currentItem();
    if (current && current != m_hCurrentItem && !IsPlaceholder(current))
        OnSelectionChanged(current);
}
