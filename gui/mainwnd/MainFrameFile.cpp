// The row commands of the main window: Open, Rename, Properties, New
// Folder, Unix Chmod, FTP Get, FTP Put and the script runs. Rename and
// Properties act on the pane the user worked in last; the others on the
// file list.
#include "MainFrame.h"

#include "FileView.h"
#include "FtpSession.h"
#include "SessionRegistry.h"
#include "SessionTypes.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QAction>

namespace {

// "." and ".." stand for folders that are not the rows' own; no row
// command acts on them.
bool IsDotRow(const FileListItem* item)
{
    return item && (item->m_strName == "." || item->m_strName == "..");
}

}  // namespace

void CMainFrame::ConnectFileCommands()
{
    connect(m_aActions[CmdOpen], &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(m_aActions[CmdRename], &QAction::triggered, this, &CMainFrame::OnFileRename);
    connect(m_aActions[CmdProperties], &QAction::triggered, this, &CMainFrame::OnFileProperties);
    connect(m_aActions[CmdNewFolder], &QAction::triggered, m_pFileView, &CFileView::OnFileNewFolder);
    connect(m_aActions[CmdUnixChmod], &QAction::triggered, m_pFileView, &CFileView::OnFtpUnixchmod);
    connect(m_aActions[CmdFtpGet], &QAction::triggered, m_pFileView, &CFileView::OnFtpGet);
    connect(m_aActions[CmdFtpPut], &QAction::triggered, m_pFileView, &CFileView::OnFtpPut);
    connect(m_aActions[CmdRunScript], &QAction::triggered, m_pFileView, &CFileView::OnFtpRunscript);
    connect(m_aActions[CmdRunScriptBg], &QAction::triggered, m_pFileView, &CFileView::OnFtpRunscriptbg);
    connect(m_aActions[CmdSchedule], &QAction::triggered, m_pFileView, &CFileView::OnFtpSchedule);
    // These act on rows and folders: their keys work in the tree and the
    // list only. In the message pane Ctrl+C copies the selected text and
    // Delete deletes nothing; the command bar keeps its editing keys.
    for (Command command : {CmdCut, CmdCopy, CmdPaste, CmdDelete, CmdRename, CmdProperties}) {
        QAction* action = m_aActions[command];
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_pFileView->addAction(action);
        if (m_pTreePane)
            m_pTreePane->addAction(action);
    }
    connect(m_pFileView, &CFileView::selectionChanged, this, &CMainFrame::UpdateFileStates);
    connect(m_pFileView, &CFileView::folderShown, this, &CMainFrame::UpdateFileStates);
}

void CMainFrame::OnFileOpen()
{
    const FileListItem* item = m_pFileView->GetSelectedItem();
    if (!item || IsDotRow(item))
        return;
    // A copy: opening a folder lists another one, freeing the row.
    const FileListItem opened = *item;
    m_pFileView->OpenFileItem(opened);
}

void CMainFrame::OnFileRename()
{
#ifdef TAVO_HAVE_TREE
    if (m_nActivePane == Pane::Tree) {
        if (m_pDriveView && m_pDriveView->currentItem() &&
            (m_pDriveView->currentItem()->flags() & Qt::ItemIsEditable))
            m_pDriveView->editItem(m_pDriveView->currentItem());
        return;
    }
#endif
    m_pFileView->OnFileRename();
}

void CMainFrame::OnFileProperties()
{
#ifdef TAVO_HAVE_TREE
    if (m_nActivePane == Pane::Tree) {
        if (m_pDriveView)
            m_pDriveView->OnFileProperties();
        return;
    }
#endif
    m_pFileView->OnFileProperties();
}

void CMainFrame::UpdateFileStates()
{
    const FileListItem* item = nullptr;
    const std::vector<const FileListItem*> selected = m_pFileView->GetSelectedItems();
    for (const FileListItem* row : selected) {
        if (!IsDotRow(row)) {
            item = row;
            break;
        }
    }
    const bool ftpShown = m_pFileView->GetFtpHandle() > 0;
    const CSession* session = ftpShown ? g_GetSession(m_pFileView->GetFtpHandle()) : nullptr;
    // A server file is opened by a double click, which asks first; the
    // command opens what needs no question.
    m_aActions[CmdOpen]->setEnabled(item && (item->m_nSession <= 0 || item->m_bIsDir));
    bool rename = item != nullptr;
#ifdef TAVO_HAVE_TREE
    if (m_nActivePane == Pane::Tree)
        rename = m_pDriveView && m_pDriveView->currentItem() &&
                 (m_pDriveView->currentItem()->flags() & Qt::ItemIsEditable);
#endif
    m_aActions[CmdRename]->setEnabled(rename);
    m_aActions[CmdNewFolder]->setEnabled(!m_pFileView->GetCurrentPath().empty());
    m_aActions[CmdUnixChmod]->setEnabled(session && session->m_nOSType == OsUnix && item);
    m_aActions[CmdFtpGet]->setEnabled(item && item->m_nSession > 0);
    m_aActions[CmdFtpPut]->setEnabled(ftpShown);
    m_aActions[CmdRunScript]->setEnabled(m_pFileView->CanRunScript());
    m_aActions[CmdRunScriptBg]->setEnabled(m_pFileView->CanRunScript());
    m_aActions[CmdSchedule]->setEnabled(m_pFileView->CanSchedule());
}
