// The folder tree as a drag source and a drop target. A folder item is
// dragged as the same data source Copy makes; a drop on a folder takes, in
// this order, a list of files (another program's, or our own local items),
// our own private block (our own drags and FTP items), or file descriptors
// with contents. Copy or move is decided while the drag hovers, and a
// folder under a hovering drag opens after the "ExpandTimer" delay.
#include "DriveView.h"

#include "DriveViewText.h"

#include "FileDescList.h"
#include "FtpSession.h"
#include "OleDS.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTimer>

#include <algorithm>

using namespace drivetree;

namespace {

bool OffersDescriptors(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(kMimeFileGroupDescriptor));
}

// FTP items, ours or another program's: they never go to the Trash.
bool CarriesRemoteItems(const QMimeData* data)
{
    return !OffersShellFileList(data);
}

bool IsInside(QTreeWidgetItem* item, QTreeWidgetItem* folder)
{
    for (QTreeWidgetItem* walk = item ? item->parent() : nullptr; walk; walk = walk->parent()) {
        if (walk == folder)
            return true;
    }
    return false;
}

// The effect within what the drag source allows: a move it does not allow
// becomes a copy.
Qt::DropAction Allowed(Qt::DropAction effect, Qt::DropActions allowed)
{
    if (effect == Qt::IgnoreAction || (allowed & effect))
        return effect;
    if (effect == Qt::MoveAction && (allowed & Qt::CopyAction))
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

}  // namespace

// --- Drag source --------------------------------------------------------------

bool CDriveView::CanDragItem(QTreeWidgetItem* item) const
{
    return CanCopyItem(item) && GetItemImage(item) != m_nRecycleImage && !GetItemData(item)->m_strName.empty();
}

void CDriveView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragStartPos = event->position().toPoint();
        m_dragStartIndex = indexAt(m_dragStartPos);
    }
    QTreeWidget::mousePressEvent(event);
}

void CDriveView::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_dragStartIndex.isValid()
        && (event->position().toPoint() - m_dragStartPos).manhattanLength() >= QApplication::startDragDistance()) {
        QTreeWidgetItem* item = itemFromIndex(m_dragStartIndex);
        m_dragStartIndex = QPersistentModelIndex();
        if (CanDragItem(item)) {
            OnBegindrag(item);
            return;
        }
    }
    QTreeWidget::mouseMoveEvent(event);
}

QPixmap CDriveView::DragPixmap(QTreeWidgetItem* item) const
{
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QFontMetrics metrics(font());
    const QString label = item->text(0);
    constexpr int kGap = 4;
    const QSize size(iconSize + kGap + metrics.horizontalAdvance(label) + 2, std::max(iconSize, metrics.height()) + 2);
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setOpacity(0.8);
    item->icon(0).paint(&painter, QRect(1, (size.height() - iconSize) / 2, iconSize, iconSize));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(1 + iconSize + kGap, 0, size.width() - iconSize - kGap - 1, size.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
    return pixmap;
}

void CDriveView::OnBegindrag(QTreeWidgetItem* item)
{
    g_TraceLog.Trace("CDriveView.OnBegindrag: Begin");
    if (m_pDoc->m_bDragging || !CanDragItem(item))
        return;
    COleDS* source = CreateOleDS(item, false);
    if (!source)
        return;
    m_pDoc->m_bDragging = true;
    m_pDoc->m_strDragSource = GetPathFromItem(item, false);
    m_hDragItem = item;

    // The drag owns the data source and releases it with itself; Qt
    // deletes a drag it ran later on, so it lives on the heap.
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(source);
    drag->setPixmap(DragPixmap(item));
    drag->setHotSpot(QPoint(0, 0));
    g_TraceLog.Trace("CDriveView.OnBegindrag: Start DoDragDrop");
    QPointer<CDriveView> self(this);
    const Qt::DropAction effect =
        m_dragLoop ? m_dragLoop(*drag) : drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    if (drag)
        drag->deleteLater();
    if (!self)
        return;
    // A folder moved within the tree has already left its place; one that
    // another program moved goes now. Nothing goes after a refused drop.
    if (effect == Qt::MoveAction && m_hDragItem)
        RemoveFolderItem(m_hDragItem);
    m_hDragItem = nullptr;
    g_TraceLog.Trace("CDriveView.OnBegindrag: DrapDrop completed");

    m_pDoc->m_bDragging = false;
    m_pDoc->m_strDragSource.clear();
    SetDropItem(nullptr);
    StopExpandTimer();
}

// --- Drop target --------------------------------------------------------------

bool CDriveView::AcceptsDropFormat(const QMimeData* data) const
{
    return OffersShellFileList(data) || OffersPrivateFormat(data) || OffersDescriptors(data);
}

QTreeWidgetItem* CDriveView::DropTargetAt(const QPoint& point) const
{
    QTreeWidgetItem* item = itemAt(point);
    if (!item || IsPlaceholder(item) || !GetItemData(item))
        return nullptr;
    return item;
}

Qt::DropAction CDriveView::DropEffect(const QMimeData* data, Qt::KeyboardModifiers keys, QTreeWidgetItem* over) const
{
    if (!AcceptsDropFormat(data) || !over)
        return Qt::IgnoreAction;
    const TreeItemData* target = GetItemData(over);
    // The Trash takes local files, and takes them away: a move.
    if (target->m_nFtpHandle <= 0 && IsRecycleBin(GetPathFromItem(over, false)))
        return CarriesRemoteItems(data) ? Qt::IgnoreAction : Qt::MoveAction;
    bool sameTree = false;
    if (m_hDragItem) {
        if (over == m_hDragItem)
            return Qt::IgnoreAction;
        sameTree = GetTopParent(over) == GetTopParent(m_hDragItem);
    } else {
        // The file list's own drag carries rows of the folder it shows.
        if (m_pDoc->m_bDragging && over == m_hCurrentItem)
            return Qt::IgnoreAction;
        sameTree = m_hCurrentItem && GetTopParent(over) == GetTopParent(m_hCurrentItem);
    }
    if (!sameTree) {
        g_TraceLog.Trace("CDriveView.OnDragOver: Tree parent not equal");
        return Qt::CopyAction;
    }
    // Files described by another program are only ever copied.
    if (!COleDS::Own(data) && !OffersShellFileList(data) && OffersDescriptors(data))
        return Qt::CopyAction;
    return (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

void CDriveView::SetDropItem(QTreeWidgetItem* item)
{
    if (item == m_hDropItem)
        return;
    if (m_hDropItem) {
        m_hDropItem->setData(0, Qt::BackgroundRole, m_dropSavedBackground);
        m_hDropItem->setData(0, Qt::ForegroundRole, m_dropSavedForeground);
    }
    m_hDropItem = item;
    if (!item)
        return;
    m_dropSavedBackground = item->data(0, Qt::BackgroundRole);
    m_dropSavedForeground = item->data(0, Qt::ForegroundRole);
    item->setBackground(0, palette().brush(QPalette::Highlight));
    item->setForeground(0, palette().brush(QPalette::HighlightedText));
}

void CDriveView::ScrollForDrop(QTreeWidgetItem* item)
{
    // At the top edge the item before it comes into view, so that a drag
    // can reach folders scrolled away above.
    if (item == itemAt(QPoint(1, 1))) {
        QTreeWidgetItem* parent = item->parent();
        const int index = parent ? parent->indexOfChild(item) : indexOfTopLevelItem(item);
        QTreeWidgetItem* before = index > 0 ? (parent ? parent->child(index - 1) : topLevelItem(index - 1)) : parent;
        if (before)
            scrollToItem(before);
        return;
    }
    scrollToItem(item);
}

void CDriveView::RestartExpandTimer()
{
    if (!m_pExpandTimer) {
        m_pExpandTimer = new QTimer(this);
        m_pExpandTimer->setSingleShot(true);
        connect(m_pExpandTimer, &QTimer::timeout, this, &CDriveView::OnExpandTimer);
    }
    m_pExpandTimer->stop();
    if (m_nExpandDelay > 0)
        m_pExpandTimer->start(m_nExpandDelay);
}

void CDriveView::StopExpandTimer()
{
    if (m_pExpandTimer)
        m_pExpandTimer->stop();
}

void CDriveView::OnExpandTimer()
{
    g_TraceLog.Trace("CDriveView.OnTimer: Begin");
    QTreeWidgetItem* item = m_hDropItem;
    if (!item || item->childCount() == 0 || item->isExpanded())
        return;
    // Opening a server folder lists it; the library takes no second call
    // while one is still running.
    for (const auto& session : g_SessionList()) {
        if (session->m_nBusy > 0)
            return;
    }
    g_TraceLog.Trace("CDriveView.OnTimer: Expanding");
    expandItem(item);
}

Qt::DropAction CDriveView::OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point)
{
    g_TraceLog.Trace("CDriveView.OnDragEnter: Begin");
    return DropEffect(data, keys, DropTargetAt(point));
}

Qt::DropAction CDriveView::OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point)
{
    g_TraceLog.Trace("CDriveView.OnDragOver: Begin");
    if (!AcceptsDropFormat(data))
        return Qt::IgnoreAction;
    QTreeWidgetItem* over = DropTargetAt(point);
    if (over != m_hDropItem) {
        StopExpandTimer();
        SetDropItem(over);
        if (over) {
            RestartExpandTimer();
            ScrollForDrop(over);
        }
    }
    return DropEffect(data, keys, over);
}

void CDriveView::OnDragLeave()
{
    StopExpandTimer();
    SetDropItem(nullptr);
}

Qt::DropAction CDriveView::OnDrop(const QMimeData* data, Qt::KeyboardModifiers keys, const QPoint& point,
                                  Qt::DropActions allowed)
{
    g_TraceLog.Trace("CDriveView.OnDrop: Begin");
    StopExpandTimer();
    QTreeWidgetItem* target = DropTargetAt(point);
    if (!target) {
        SetDropItem(nullptr);
        return Qt::IgnoreAction;
    }
    // A folder cannot go into itself or into its own subfolder.
    if (m_hDragItem && (target == m_hDragItem || IsInside(target, m_hDragItem))) {
        const std::string path = GetPathFromItem(target, false);
        g_TraceLog.Trace("CDriveView.OnDrop: Cannot drop on the same place.");
        g_TraceLog.Trace("CDriveView.OnDrop: path = %s", path.c_str());
        SetDropItem(nullptr);
        ShowMoveRefusal(GetPathFromItem(m_hDragItem, false), !(keys & Qt::ControlModifier), target != m_hDragItem);
        return Qt::IgnoreAction;
    }
    const Qt::DropAction effect = Allowed(DropEffect(data, keys, target), allowed);
    if (effect == Qt::IgnoreAction) {
        SetDropItem(nullptr);
        return Qt::IgnoreAction;
    }
    // The highlight stays on the target while the work runs.
    SetDropItem(target);
    g_TraceLog.Trace("CDriveView.OnDrop: Drop to a new target");
    const bool move = effect == Qt::MoveAction;
    bool ok = false;
    if (OffersShellFileList(data))
        ok = ProcessHDROP(data, target, move);
    else if (OffersPrivateFormat(data))
        ok = ProcessOleObject(data, target, move);
    else if (OffersDescriptors(data))
        ok = ProcessOleFG(data, target);
    SetDropItem(nullptr);
    return ok ? effect : Qt::IgnoreAction;
}

// --- Qt's drag events ---------------------------------------------------------

void CDriveView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!AcceptsDropFormat(event->mimeData())) {
        event->ignore();
        return;
    }
    // Taken in any case: the moves that follow decide item by item.
    event->setDropAction(Allowed(OnDragEnter(event->mimeData(), event->modifiers(), event->position().toPoint()),
                                 event->possibleActions()));
    event->accept();
}

void CDriveView::dragMoveEvent(QDragMoveEvent* event)
{
    const Qt::DropAction effect = Allowed(
        OnDragOver(event->mimeData(), event->modifiers(), event->position().toPoint()), event->possibleActions());
    if (effect == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(effect);
    event->accept();
}

void CDriveView::dragLeaveEvent(QDragLeaveEvent* event)
{
    OnDragLeave();
    event->accept();
}

void CDriveView::dropEvent(QDropEvent* event)
{
    const Qt::DropAction done =
        OnDrop(event->mimeData(), event->modifiers(), event->position().toPoint(), event->possibleActions());
    if (done == Qt::IgnoreAction) {
        // The source then keeps what it offered.
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->setDropAction(done);
    event->accept();
}
