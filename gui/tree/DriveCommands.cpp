// The folder tree: rename in place, delete, the context menu and its commands.
#include "DriveView.h"

#include "DriveViewText.h"

#include "FtpSession.h"
#include "IconList.h"
#include "LocalFileOp.h"
#include "OleDS.h"
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

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>

#include <unistd.h>


using namespace drivetree;

// --- Rename and delete ------------------------------------------------------

bool CDriveView::OnEndlabeledit(QTreeWidgetItem* item, const QString& newText)
{
    TreeItemData* data = GetItemData(item);
    const std::string newName = S(newText);
    g_TraceLog.Trace("CDriveView.OnEndlabeledit: New name = %s", newName.c_str());
    if (!item || !data || !item->parent() || IsPlaceholder(item) || newName.empty() || newName == data->m_strName)
        return false;
    const int handle = data->m_nFtpHandle;
    // A name is one path component, in the server's terms too.
    if (newName.find('/') != std::string::npos || IsDotName(newName)
        || (handle > 0 && newName.find(g_GetSeparator(handle)) != std::string::npos))
        return false;
    const std::string oldPath = GetPathFromItem(item, false);
    const std::string parentPath = GetPathFromItem(item->parent(), true);
    const std::string newPath = parentPath + newName;
    int rc = -1;
    if (handle > 0) {
        CSession* session = GetSession(item);
        if (session) {
            g_TraceLog.Trace("CDriveView.OnEndlabeledit: Ftp Rename %s to %s", data->m_strName.c_str(),
                             newName.c_str());
            // Full paths: the server's current folder need not be the item's.
            rc = session->FtpRename(oldPath, newPath);
        }
    } else {
        g_TraceLog.Trace("CDriveView.OnEndlabeledit: Rename %s to %s", data->m_strName.c_str(), newName.c_str());
        // Never over an existing folder or file.
        rc = QFileInfo::exists(Q(newPath)) ? -1 : f_rename(oldPath.c_str(), newPath.c_str());
    }
    if (rc != 0) {
        g_TraceLog.Trace("CDriveView.OnEndlabeledit: Rename failed");
        return false;
    }
    g_TraceLog.Trace("CDriveView.OnEndlabeledit: Rename successful");
    data->m_strName = newName;
    const bool wasFilling = m_bFilling;
    m_bFilling = true;
    item->setText(0, newText);
    m_bFilling = wasFilling;
    bool currentMoved = false;
    for (QTreeWidgetItem* walk = m_hCurrentItem; walk; walk = walk->parent())
        currentMoved = currentMoved || walk == item;
    g_TraceLog.Trace("CDriveView.OnEndlabeledit: Change Dir to %s", newPath.c_str());
    if (currentMoved) {
        // The current place was the renamed folder or lies inside it: the
        // program, the server and the file list follow it to its new path.
        QTreeWidgetItem* current = m_hCurrentItem;
        m_hCurrentItem = nullptr;
        OnSelectionChanged(current);
    }
    Refresh();
    return true;
}

bool CDriveView::CanEditDelete() const
{
    QTreeWidgetItem* item = currentItem();
    return item && item->parent() && !IsPlaceholder(item);
}

void CDriveView::OnEditDelete()
{
    QTreeWidgetItem* item = currentItem();
    TreeItemData* data = GetItemData(item);
    if (!CanEditDelete() || !data)
        return;
    const std::string path = GetPathFromItem(item, false);
    g_TraceLog.Trace("CDriveView.OnEditDelete: Delete %s", path.c_str());
    bool deleted = false;
    if (data->m_nFtpHandle > 0) {
        if (!CPrompt::AskYesNo(QStringLiteral("Delete %1?").arg(Q(path)), QStringLiteral("Delete")))
            return;
        deleted = m_pDoc->DeleteFtpDirectory(path, data->m_nFtpHandle);
    } else {
        // Into the Trash, where it can be taken back; with Shift held, for
        // good. The file operation layer asks, in the words every delete of
        // the program uses.
        LocalOpOptions options;
        options.allowUndo = !(QApplication::keyboardModifiers() & Qt::ShiftModifier);
        deleted = CLocalFileOp::Delete({path}, options).ok;
    }
    if (deleted)
        RemoveFolderItem(item);
}

// --- Context menu and shell entries -------------------------------------------

QMenu* CDriveView::BuildContextMenu(QTreeWidgetItem* item)
{
    auto* menu = new QMenu(this);
    QAction* refresh = menu->addAction(QStringLiteral("&Refresh"));
    connect(refresh, &QAction::triggered, this, [this] { Refresh(); });
    menu->addSeparator();
    QMenu* sendTo = menu->addMenu(QStringLiteral("&Send To"));
    const bool local = GetItemData(item) && GetItemData(item)->m_nFtpHandle == 0;
    if (!item || !item->parent() || !local) {
        sendTo->addAction(QStringLiteral("Empty"))->setEnabled(false);
        sendTo->menuAction()->setEnabled(false);
    } else {
        m_pDoc->BuildSendToList(sendTo);
        if (sendTo->isEmpty())
            sendTo->addAction(QStringLiteral("Empty"))->setEnabled(false);
        for (QAction* action : sendTo->actions()) {
            const int id = action->data().toInt();
            if (id > 0)
                connect(action, &QAction::triggered, this, [this, id] { OnCmdMsg(id, true); });
        }
    }
    menu->addSeparator();
    // The clipboard commands act on the item clicked, as the selection does
    // for the Edit menu.
    const auto onItem = [this, item](void (CDriveView::*command)()) {
        return [this, item, command] {
            if (item && item == m_hContextItem) {
                setCurrentItem(item);
                (this->*command)();
            }
        };
    };
    const bool copyable = CanCopyItem(item);
    QAction* cut = menu->addAction(QStringLiteral("Cu&t"));
    cut->setEnabled(copyable);
    connect(cut, &QAction::triggered, this, onItem(&CDriveView::OnEditCut));
    QAction* copy = menu->addAction(QStringLiteral("&Copy"));
    copy->setEnabled(copyable);
    connect(copy, &QAction::triggered, this, onItem(&CDriveView::OnEditCopy));
    QAction* paste = menu->addAction(QStringLiteral("&Paste"));
    paste->setEnabled(GetItemData(item) && CanPasteData(QGuiApplication::clipboard()->mimeData()));
    connect(paste, &QAction::triggered, this, [this, item] {
        if (item && item == m_hContextItem) {
            setCurrentItem(item);
            OnEditPaste();
        }
    });
    menu->addSeparator();
    QAction* rename = menu->addAction(QStringLiteral("Re&name"));
    rename->setEnabled(item && (item->flags() & Qt::ItemIsEditable));
    connect(rename, &QAction::triggered, this, [this, item] {
        if (item && item == m_hContextItem)
            editItem(item);
    });
    QAction* remove = menu->addAction(QStringLiteral("&Delete"));
    remove->setEnabled(item && item->parent() && GetItemData(item) && GetItemImage(item) != m_nRecycleImage);
    connect(remove, &QAction::triggered, this, [this, item] {
        if (item && item == m_hContextItem) {
            setCurrentItem(item);
            OnEditDelete();
        }
    });
    if (item && !item->parent() && GetItemData(item) && GetItemData(item)->m_nFtpHandle > 0) {
        menu->addSeparator();
        QAction* close = menu->addAction(QStringLiteral("&Close FTP Server"));
        connect(close, &QAction::triggered, this, [this, item] {
            if (item && item == m_hContextItem) {
                setCurrentItem(item);
                OnFileRemoveftpserver();
            }
        });
    }
    // Servers and folders have their property sheets; a volume has none.
    if (item && GetItemData(item) && (item->parent() || GetItemData(item)->m_nFtpHandle > 0)) {
        menu->addSeparator();
        QAction* properties = menu->addAction(QStringLiteral("Propert&ies"));
        connect(properties, &QAction::triggered, this, [this] { OnFileProperties(); });
    }
    return menu;
}

void CDriveView::contextMenuEvent(QContextMenuEvent* event)
{
    g_TraceLog.Trace("CDriveView.OnRButtonDown: Begin");
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item || IsPlaceholder(item)) {
        event->ignore();
        return;
    }
    m_hContextItem = item;
    QMenu* menu = BuildContextMenu(item);
    menu->exec(event->globalPos());
    delete menu;
    m_hContextItem = nullptr;
    g_TraceLog.Trace("CDriveView.OnRButtonDown: End");
}

void CDriveView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        OnEditDelete();
        return;
    }
    if (event->key() == Qt::Key_F5) {
        Refresh();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool CDriveView::OnCmdMsg(int id, bool execute, bool* enabled)
{
    if (id < kFirstDynamicCommand || id > m_pDoc->GetLastCommandId())
        return false;
    if (!execute) {
        if (enabled)
            *enabled = m_nCurrentHandle == 0;
        return true;
    }
    QTreeWidgetItem* item = m_hContextItem ? m_hContextItem : currentItem();
    TreeItemData* data = GetItemData(item);
    // Send To works on local folders only.
    if (!data || data->m_nFtpHandle > 0)
        return true;
    g_TraceLog.Trace("CDriveView.OnCmdMsg: Execute the menu item");
    const CMenuEntry* entry = m_pDoc->FindEntry(id);
    if (!entry)
        return true;
    const std::string path = GetPathFromItem(item, false);
    const int result = m_pDoc->RunEntry(*entry, Q(path));
    const QString program = entry->m_strCommand.isEmpty() ? entry->m_strVerb : entry->m_strCommand;
    g_TraceLog.Trace("CDriveView.OnCmdMsg: Execute \"%s\"  Params = \"%s\", return = %d", S(program).c_str(),
                     path.c_str(), result);
    return true;
}
