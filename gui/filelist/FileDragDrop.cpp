// The file list as a drag source and a drop target. A drag carries the same
// data source as Copy; a drop goes through the tree's paste operations, so
// the list and the tree copy, move and refuse alike.
#include "FileView.h"

#include "FileDescList.h"
#include "FileListModel.h"
#include "ListingRules.h"
#include "OleDS.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QIcon>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace {

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

bool OffersDescriptors(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(kMimeFileGroupDescriptor));
}

bool IsAcceptableDrop(const QMimeData* data)
{
    return OffersShellFileList(data) || OffersPrivateFormat(data) || OffersDescriptors(data);
}

// One dragged or dropped entry, as the checks below need it.
struct DropSource {
    std::string path;
    bool folder = false;
    int handle = 0;  // 0: the local disk
};

// The entries without a word to the user: these are read on every move of
// the mouse. Only a drop reports what it skips.
std::vector<DropSource> QuietSources(const QMimeData* data)
{
    std::vector<DropSource> sources;
    if (OffersShellFileList(data)) {
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile())
                continue;
            const std::string path = WithoutTrailingSeparator(url.toLocalFile().toStdString());
            if (path.empty() || path.front() != '/' || !IsSafeName(LastComponent(path)))
                continue;
            struct stat st {};
            sources.push_back({path, ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode), 0});
        }
    } else if (const COleDS* own = COleDS::Own(data)) {
        const PrivateClip& clip = own->Clip();
        for (const PrivateClipItem& item : clip.items)
            sources.push_back({clip.SourcePath(item), item.m_bIsDir != 0, std::max(clip.header.m_nSession, 0)});
    }
    return sources;
}

std::string Canonical(const std::string& path)
{
    std::error_code error;
    const std::string canonical = std::filesystem::weakly_canonical(path, error).string();
    return error ? path : WithoutTrailingSeparator(canonical);
}

// How a folder of this place relates to a target folder of the same place:
// 0 apart, 1 the same folder, 2 the target lies inside it.
int Containment(const DropSource& source, const std::string& target)
{
    const bool local = source.handle <= 0;
    const std::string separator = local ? std::string("/") : g_GetSeparator(source.handle);
    const std::string folder = local ? Canonical(source.path) : WithoutTrailingSeparator(source.path);
    const std::string into = local ? Canonical(target) : WithoutTrailingSeparator(target);
    if (folder == into)
        return 1;
    const std::string prefix = folder == separator ? folder : folder + separator;
    return into.compare(0, prefix.size(), prefix) == 0 ? 2 : 0;
}

bool SameLocalVolume(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev;
}

std::string ParentOf(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

// Forwards the item views' drag events to the list's handlers, and starts a
// drag when a selected row is pulled far enough.
class CFileDragFilter : public QObject {
public:
    explicit CFileDragFilter(CFileView* view) : QObject(view), m_pView(view) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* viewport = qobject_cast<QWidget*>(watched);
        auto* itemView = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
        if (!itemView || m_bEnding)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            m_nPressRow = -1;
            if (mouse->button() == Qt::LeftButton) {
                m_press = mouse->position().toPoint();
                const QModelIndex index = itemView->indexAt(m_press);
                m_nPressRow = index.isValid() ? index.row() : -1;
            }
            return false;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_nPressRow < 0 || !(mouse->buttons() & Qt::LeftButton)
                || (mouse->position().toPoint() - m_press).manhattanLength() < QApplication::startDragDistance())
                return false;
            const int row = m_nPressRow;
            m_nPressRow = -1;
            // The press has selected the row by now, or kept it in a
            // selection of several; a press elsewhere selects by dragging.
            if (!itemView->selectionModel()->isRowSelected(row, QModelIndex()))
                return false;
            QPointer<QWidget> guard(viewport);
            m_pView->OnBegindrag(row);
            if (guard)
                EndPress(viewport);
            return true;
        }
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (!IsAcceptableDrop(drag->mimeData())) {
                drag->ignore();
                return true;
            }
            const Qt::DropAction action =
                m_pView->OnDragEnter(drag->mimeData(), drag->modifiers(), Map(viewport, drag));
            // Accepted even while the effect is none: the next row may take it.
            drag->setDropAction(action);
            drag->accept();
            return true;
        }
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const Qt::DropAction action =
                m_pView->OnDragOver(drag->mimeData(), drag->modifiers(), Map(viewport, drag));
            drag->setDropAction(action);
            if (action == Qt::IgnoreAction)
                drag->ignore();
            else
                drag->accept();
            return true;
        }
        case QEvent::DragLeave:
            m_pView->OnDragLeave();
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            // The effect by the rules and the keys held at the drop, as while
            // hovering; the toolkit proposes the drag's default (copy)
            // whenever no key is held.
            Qt::DropAction action = m_pView->OnDragOver(drop->mimeData(), drop->modifiers(), Map(viewport, drop));
            if (!(drop->possibleActions() & action))
                action = (drop->possibleActions() & Qt::CopyAction) && action != Qt::IgnoreAction ? Qt::CopyAction
                                                                                                   : Qt::IgnoreAction;
            // A refused or failed drop reports no action, so the source
            // deletes nothing.
            if (m_pView->OnDrop(drop->mimeData(), action, Map(viewport, drop))) {
                drop->setDropAction(action);
                drop->accept();
            } else {
                drop->setDropAction(Qt::IgnoreAction);
                drop->ignore();
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    QPoint Map(QWidget* viewport, const QDropEvent* event) const
    {
        return viewport->mapTo(m_pView, event->position().toPoint());
    }

    // The drag took the button's release: the view still thinks the button
    // is down. A release outside every row, with Ctrl so that it selects
    // nothing, ends its press without touching the selection.
    void EndPress(QWidget* viewport)
    {
        m_bEnding = true;
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), viewport->mapToGlobal(QPointF(-1, -1)),
                            Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
        QApplication::sendEvent(viewport, &release);
        m_bEnding = false;
    }

    CFileView* m_pView;
    QPoint m_press;
    int m_nPressRow = -1;
    bool m_bEnding = false;
};

void CFileView::InstallDragDrop()
{
    auto* filter = new CFileDragFilter(this);
    m_pDetails->viewport()->installEventFilter(filter);
    m_pIcons->viewport()->installEventFilter(filter);
}

// --- Drag source ----------------------------------------------------------------

void CFileView::OnBegindrag(int row)
{
    if (row < 0 || !m_pModel->Item(row) || (m_pDoc && m_pDoc->m_bDragging))
        return;
    g_TraceLog.Trace("CFileView.OnBegindrag: Enter");
    COleDS* source = PackForClip(false);
    if (!source)
        return;
    if (m_pDoc) {
        m_pDoc->m_strDragSource = m_strCurPath;
        m_pDoc->m_bDragging = true;
    }
    g_TraceLog.Trace("CFileView.OnBegindrag: Item = %d", row);
    SetDropIndex(-1);
    m_nDragCount = static_cast<int>(source->Clip().items.size());

    QPointer<CFileView> self(this);
    CTavoDoc* doc = m_pDoc;
    // The drag belongs to the list: a list closed during the drag takes it along.
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(source);
    const QIcon icon = m_pModel->data(m_pModel->index(row, CFileListModel::ColName), Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull())
        drag->setPixmap(icon.pixmap(32, 32));
    g_TraceLog.Trace("CFileView.OnBegindrag: Start DoDragDrop");
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    if (!self) {
        // The document outlives its views; the next drag must not find
        // this one still running.
        if (doc)
            doc->m_bDragging = false;
        return;
    }
    delete drag;
    // The receiver moved the files; the rows still show them.
    if (result == Qt::MoveAction) {
        g_TraceLog.Trace("CFileView.OnBegindrag: Item moved");
        RefreshView();
    }
    m_nDragCount = 0;
    g_TraceLog.Trace("CFileView.OnBegindrag: DrapDrop completed");
    if (m_pDoc)
        m_pDoc->m_bDragging = false;
    SetDropIndex(-1);
    g_TraceLog.Trace("CFileView.OnBegindrag: Exit");
}

// --- Drop target ----------------------------------------------------------------

int CFileView::DropRow(const QPoint& point) const
{
    const int row = HitTest(point);
    const FileListItem* item = m_pModel->Item(row);
    return item && item->m_bIsDir && !IsDotName(item->m_strName) ? row : -1;
}

std::string CFileView::DropTargetFolder(int row) const
{
    std::string folder = FolderWithSeparator();
    if (const FileListItem* item = m_pModel->Item(row); item && item->m_bIsDir)
        folder += item->m_strName + g_GetSeparator(m_nFtpHandle);
    return folder;
}

void CFileView::SetDropIndex(int row)
{
    m_nDropIndex = row;
    m_pModel->SetDropHighlight(row);
}

Qt::DropAction CFileView::DropEffect(const QMimeData* data, Qt::KeyboardModifiers keys,
                                     const std::string& target) const
{
    if (!IsAcceptableDrop(data))
        return Qt::IgnoreAction;
    const std::vector<DropSource> sources = QuietSources(data);
    // Described files only: they are always copied.
    if (sources.empty())
        return OffersDescriptors(data) ? Qt::CopyAction : Qt::IgnoreAction;
    const int targetHandle = m_nFtpHandle > 0 ? m_nFtpHandle : 0;
    bool samePlace = true;
    for (const DropSource& source : sources) {
        if (source.handle != targetHandle) {
            samePlace = false;
            continue;
        }
        // Into the folder it already lies in, or a folder onto itself or
        // into its own subfolder: nothing to do there.
        const std::string parent = ParentOf(source.path);
        if (WithoutTrailingSeparator(parent) == WithoutTrailingSeparator(target)
            || (source.folder && Containment(source, target) != 0))
            return Qt::IgnoreAction;
        if (targetHandle == 0 && !SameLocalVolume(parent, target))
            samePlace = false;
    }
    if (keys & Qt::ControlModifier)
        return Qt::CopyAction;
    return samePlace ? Qt::MoveAction : Qt::CopyAction;
}

Qt::DropAction CFileView::OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point)
{
    g_TraceLog.Trace("CFileView.OnDragEnter: Begin");
    const int row = DropRow(point);
    g_TraceLog.Trace("CFileView.OnDragEnter: nIndex = %d", row);
    if (row >= 0)
        g_TraceLog.Trace("CFileView.OnDragEnter: Is a directory");
    SetDropIndex(IsAcceptableDrop(data) ? row : -1);
    return DropEffect(data, keys, DropTargetFolder(row));
}

Qt::DropAction CFileView::OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point)
{
    g_TraceLog.Trace("CFileView.OnDragOver: Begin");
    if (!IsAcceptableDrop(data)) {
        SetDropIndex(-1);
        return Qt::IgnoreAction;
    }
    const int row = DropRow(point);
    g_TraceLog.Trace("CFileView.OnDragOver: nIndex = %d", row);
    if (row >= 0 && row != m_nDropIndex) {
        // The neighbour in the direction of travel comes into sight, so a
        // drag can reach rows beyond the edge.
        const int neighbour = m_nDropIndex >= 0 && row < m_nDropIndex ? row - 1 : row + 1;
        if (neighbour >= 0 && neighbour < GetItemCount())
            GetListCtrl()->scrollTo(m_pModel->index(neighbour, CFileListModel::ColName));
    }
    SetDropIndex(row);
    return DropEffect(data, keys, DropTargetFolder(row));
}

void CFileView::OnDragLeave()
{
    SetDropIndex(-1);
}

bool CFileView::RefuseDropIntoItself(const QMimeData* data, const std::string& target, bool move) const
{
    const int targetHandle = m_nFtpHandle > 0 ? m_nFtpHandle : 0;
    for (const DropSource& source : QuietSources(data)) {
        if (!source.folder || source.handle != targetHandle)
            continue;
        const int relation = Containment(source, target);
        if (relation == 0)
            continue;
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView) {
            m_pDriveView->ShowMoveRefusal(LastComponent(source.path), move, relation == 2);
            return true;
        }
#endif
        g_TraceLog.Message("Cannot %s %s: The destination folder is %s", move ? "Move" : "Copy",
                           LastComponent(source.path).c_str(),
                           relation == 2 ? "a subfolder of the source folder" : "the same as the source folder");
        return true;
    }
    return false;
}

bool CFileView::OnDrop(const QMimeData* data, Qt::DropAction effect, const QPoint& point)
{
    const int row = DropRow(point);
    g_TraceLog.Trace("CFileView.OnDrop: nIndex = %d", row);
    SetDropIndex(-1);
    if (!IsAcceptableDrop(data) || (effect != Qt::CopyAction && effect != Qt::MoveAction))
        return false;
    g_TraceLog.Trace("CFileView.OnDrop: Drop to a new target");
    const bool move = effect == Qt::MoveAction;
    const std::string target = DropTargetFolder(row);
    if (RefuseDropIntoItself(data, target, move))
        return false;
    bool ok = false;
#ifdef TAVO_HAVE_TREE
    if (!m_pDriveView)
        return false;
    const int handle = m_nFtpHandle > 0 ? m_nFtpHandle : 0;
    if (OffersShellFileList(data) || OffersPrivateFormat(data)) {
        // The tree's paste does the work on the tree's item of the target
        // folder: the shown folder is its current item, a folder row one
        // of that item's children.
        QTreeWidgetItem* item = m_pDriveView->GetCurrentItem();
        const std::string shown = WithoutTrailingSeparator(m_strCurPath);
        if (!item || m_pDriveView->GetFtpHandle(item) != handle
            || WithoutTrailingSeparator(m_pDriveView->GetPathFromItem(item, false)) != shown)
            item = m_pDriveView->FindPathItem(shown, handle);
        if (item && row >= 0) {
            const std::string name = m_pModel->Item(row)->m_strName;
            QTreeWidgetItem* child = m_pDriveView->FindItem(item, name);
            if (!child) {
                // Not read yet, or made since: read the children again.
                m_pDriveView->collapseItem(item);
                m_pDriveView->expandItem(item);
                child = m_pDriveView->FindItem(item, name);
            }
            item = child;
        }
        if (!item) {
            g_TraceLog.Message("Cannot drop into %s: the folder tree does not show that folder", target.c_str());
            return false;
        }
        ok = OffersShellFileList(data) ? m_pDriveView->ProcessHDROP(data, item, move)
                                       : m_pDriveView->ProcessOleObject(data, item, move);
    } else {
        // Described files are always copied.
        ok = m_pDriveView->ProcessDropFileContents(data, target, handle);
    }
    // The shown folder as it is now, also after a drop that stopped half way.
    const std::string server = m_strServer;
    const std::string path = m_strCurPath;
    if (m_nFtpHandle > 0)
        ShowFtpFolder(server, m_nFtpHandle, path);
    else
        ShowLocalFolder(path);
#endif
    return ok;
}
