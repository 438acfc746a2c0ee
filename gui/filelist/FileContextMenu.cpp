// The right-click menu of the file list's rows: the fixed commands, the Send
// To targets and the verbs of the file's type, which the document adds and
// this view runs.
#include "FileView.h"

#include "FileListModel.h"
#include "ListingRules.h"
#include "MainFrame.h"
#include "OpenWith.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>

#include <memory>

namespace {

// Runs one document entry on a selected row's file, through the main
// window so that the shell's failures reach the message pane.
int RunEntryOn(QWidget* view, const CTavoDoc& doc, const CMenuEntry& entry, const QString& path)
{
    if (!g_pMainFrame)
        return doc.RunEntry(entry, path);
    if (!entry.m_strCommand.isEmpty())
        return g_pMainFrame->ExecuteShell(view, entry.m_strVerb, entry.m_strCommand, path, QString(), 5);
    return g_pMainFrame->ExecuteShell(view, entry.m_strVerb, path, QString(), QString(), 5);
}

// True when the selection holds a row other than "." and "..".
bool HasRealRow(const std::vector<const FileListItem*>& rows)
{
    for (const FileListItem* row : rows) {
        if (!IsDotName(row->m_strName))
            return true;
    }
    return false;
}

}  // namespace

QMenu* CFileView::BuildContextMenu()
{
    auto* menu = new QMenu(this);
    const auto add = [this, menu](const QString& text, bool enabled, auto command) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    const FileListItem* first = GetSelectedItem();
    const bool local = m_nFtpHandle <= 0;
    const bool realRows = HasRealRow(GetSelectedItems());

    add(QStringLiteral("Open&With..."), local && first && !first->m_bIsDir, [this] {
        const FileListItem* item = GetSelectedItem();
        if (m_nFtpHandle <= 0 && item && !item->m_bIsDir)
            OpenWithChooser(this, QString::fromStdString(FolderWithSeparator() + item->m_strName));
    });
    menu->addSeparator();
    QMenu* sendTo = menu->addMenu(QStringLiteral("&Send To"));
    if (m_pDoc)
        m_pDoc->BuildSendToList(sendTo);
    if (sendTo->isEmpty())
        sendTo->addAction(QStringLiteral("Empty"))->setEnabled(false);
    menu->addSeparator();
    add(QStringLiteral("&Append"), CanEditAppend(), [this] { OnEditAppend(); });
    add(QStringLiteral("Cu&t"), CanEditCopy(), [this] { OnEditCut(); });
    add(QStringLiteral("&Copy"), CanEditCopy(), [this] { OnEditCopy(); });
    add(QStringLiteral("&Paste"), CanEditPaste(), [this] { OnEditPaste(); });
    menu->addSeparator();
    add(QStringLiteral("&Delete"), realRows, [this] { OnEditDelete(); });
    add(QStringLiteral("&Rename"), realRows, [this] { OnFileRename(); });
    menu->addSeparator();
    add(QStringLiteral("FTP &Get"), IsSelectedFtpItem(), [this] { OnFtpGet(); });
    add(QStringLiteral("&FTP Put"), m_nFtpHandle > 0, [this] { OnFtpPut(); });
    menu->addSeparator();
    add(QStringLiteral("Propert&ies"), true, [this] { OnFileProperties(); });
    add(QStringLiteral("&Run Script"), CanRunScript(), [this] { OnFtpRunscript(); });
    add(QStringLiteral("Run Script &Background"), CanRunScript(), [this] { OnFtpRunscriptbg(); });
    add(QStringLiteral("Sc&hedule..."), CanSchedule(), [this] { OnFtpSchedule(); });

    if (m_pDoc)
        m_pDoc->BuildContextMenu(menu, QString::fromStdString(GetSelectedFileName()), IsSelectedAFolder());

    // The entries the document added carry their command ids.
    QList<QAction*> added = menu->actions();
    added += sendTo->actions();
    for (QAction* action : added) {
        const int id = action->data().toInt();
        if (id == ID_FILE_OPEN_ITEM) {
            // "&Open" of a folder row.
            connect(action, &QAction::triggered, this, [this] {
                FileListItem item;
                if (GetSelectedItem2(item))
                    OpenFileItem(item);
            });
        } else if (m_pDoc && m_pDoc->FindEntry(id)) {
            // The desktop runs local files only: an FTP row has no path here.
            action->setEnabled(local);
            connect(action, &QAction::triggered, this, [this, id] {
                const CMenuEntry* found = m_pDoc ? m_pDoc->FindEntry(id) : nullptr;
                if (!found || m_nFtpHandle > 0)
                    return;
                const CMenuEntry entry = *found;  // running it may rebuild the table
                g_TraceLog.Trace("CFileView.OnCmdMsg: Execute the menu item");
                const std::vector<const FileListItem*> rows = GetSelectedItems();
                if (rows.empty()) {
                    g_TraceLog.Trace("CFileView.OnCmdMsg: No Item selected!");
                    return;
                }
                std::vector<QString> paths;
                for (const FileListItem* row : rows)
                    paths.push_back(QString::fromStdString(row->m_strPath));
                for (const QString& path : paths) {
                    const int result = RunEntryOn(this, *m_pDoc, entry, path);
                    if (!entry.m_strCommand.isEmpty())
                        g_TraceLog.Trace("CFileView.OnCmdMsg: Execute %s %s, return = %d",
                                         entry.m_strCommand.toUtf8().constData(), path.toUtf8().constData(), result);
                }
            });
        }
    }
    return menu;
}

void CFileView::contextMenuEvent(QContextMenuEvent* event)
{
    const int row = HitTest(event->pos());
    if (row < 0) {
        event->ignore();
        return;
    }
    // A click on a row outside the selection makes it the selection, as
    // file managers do; inside, the selection stays for the command.
    const QModelIndex index = m_pModel->index(row, CFileListModel::ColName);
    if (!m_pSelection->isRowSelected(row, QModelIndex()))
        m_pSelection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    menu->exec(event->globalPos());
    g_TraceLog.Trace("CFileView.OnContextMenu: End");
}
