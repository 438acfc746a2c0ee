// The right-click menu of the file list's rows.
#include "FileView.h"

#include "FileListModel.h"

#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>

#include <memory>

QMenu* CFileView::BuildContextMenu()
{
    auto* menu = new QMenu(this);
    const auto add = [this, menu](const QString& text, bool enabled, void (CFileView::*command)()) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    add(QStringLiteral("&Append"), CanEditAppend(), &CFileView::OnEditAppend);
    add(QStringLiteral("Cu&t"), CanEditCopy(), &CFileView::OnEditCut);
    add(QStringLiteral("&Copy"), CanEditCopy(), &CFileView::OnEditCopy);
    QAction* paste = menu->addAction(QStringLiteral("&Paste"));
    paste->setEnabled(CanEditPaste());
    connect(paste, &QAction::triggered, this, [this] { OnEditPaste(); });
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
}
