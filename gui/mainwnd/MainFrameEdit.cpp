// The Edit commands of the main window: Cut, Copy, Paste, Append and Delete
// go to the pane the user worked in last, the folder tree or the file list,
// and are enabled by that pane's rules. Also the preferences sheet.
#include "MainFrame.h"

#include "FileView.h"
#include "Preference.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>

void CMainFrame::ConnectEditCommands()
{
    connect(m_aActions[CmdCut], &QAction::triggered, this, &CMainFrame::OnEditCut);
    connect(m_aActions[CmdCopy], &QAction::triggered, this, &CMainFrame::OnEditCopy);
    connect(m_aActions[CmdPaste], &QAction::triggered, this, &CMainFrame::OnEditPaste);
    connect(m_aActions[CmdAppend], &QAction::triggered, this, &CMainFrame::OnEditAppend);
    connect(m_aActions[CmdDelete], &QAction::triggered, this, &CMainFrame::OnEditDelete);
    connect(m_aActions[CmdPreference], &QAction::triggered, this, &CMainFrame::OnPreference);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now)
            return;
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView && (now == m_pDriveView || m_pDriveView->isAncestorOf(now))) {
            SetActivePane(Pane::Tree);
            return;
        }
#endif
        if (m_pFileView && (now == m_pFileView || m_pFileView->isAncestorOf(now)))
            SetActivePane(Pane::List);
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateEditStates);
    connect(m_pFileView, &CFileView::selectionChanged, this, &CMainFrame::UpdateEditStates);
    connect(m_pFileView, &CFileView::folderShown, this, &CMainFrame::UpdateEditStates);
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView)
        connect(m_pDriveView, &QTreeWidget::currentItemChanged, this, &CMainFrame::UpdateEditStates);
#endif
}

void CMainFrame::SetActivePane(Pane pane)
{
    m_nActivePane = pane;
    UpdateEditStates();
    UpdateFileStates();
}

void CMainFrame::UpdateEditStates()
{
    bool copy = false;
    bool paste = false;
    bool append = false;
    bool remove = false;
    if (m_nActivePane == Pane::List) {
        copy = m_pFileView->CanEditCopy();
        paste = m_pFileView->CanEditPaste();
        append = m_pFileView->CanEditAppend();
        // The rows that can be copied are the ones that can be deleted: never
        // "." or "..".
        remove = copy;
    } else {
#ifdef TAVO_HAVE_TREE
        if (m_pDriveView) {
            copy = m_pDriveView->CanEditCopy();
            paste = m_pDriveView->CanEditPaste();
            remove = m_pDriveView->CanEditDelete();
        }
#endif
    }
    m_aActions[CmdCut]->setEnabled(copy);
    m_aActions[CmdCopy]->setEnabled(copy);
    m_aActions[CmdPaste]->setEnabled(paste);
    m_aActions[CmdAppend]->setEnabled(append);
    m_aActions[CmdDelete]->setEnabled(remove);
}

#ifdef TAVO_HAVE_TREE
#define TREE_COMMAND(call) [this] { if (m_pDriveView) m_pDriveView->call(); }
#else
#define TREE_COMMAND(call) [] {}
#endif

template <class ListCommand, class TreeCommand>
void CMainFrame::RunOnActivePane(ListCommand onList, TreeCommand onTree)
{
    if (m_nActivePane == Pane::List)
        onList();
    else
        onTree();
    UpdateEditStates();
}

void CMainFrame::OnEditCut()
{
    RunOnActivePane([this] { m_pFileView->OnEditCut(); }, TREE_COMMAND(OnEditCut));
}

void CMainFrame::OnEditCopy()
{
    RunOnActivePane([this] { m_pFileView->OnEditCopy(); }, TREE_COMMAND(OnEditCopy));
}

void CMainFrame::OnEditPaste()
{
    // Both panes paste into the folder the tree has selected.
    RunOnActivePane([this] { m_pFileView->OnEditPaste(); }, TREE_COMMAND(OnEditPaste));
}

void CMainFrame::OnEditAppend()
{
    if (m_nActivePane == Pane::List)
        m_pFileView->OnEditAppend();
    UpdateEditStates();
}

void CMainFrame::OnEditDelete()
{
    if (m_nActivePane == Pane::List)
        m_pFileView->OnEditDelete();
#ifdef TAVO_HAVE_TREE
    else if (m_pDriveView)
        m_pDriveView->OnEditDelete();
#endif
    UpdateEditStates();
}

void CMainFrame::OnPreference()
{
    if (!m_pPreference)
        m_pPreference = new CPreference(this);
    m_pPreference->DoModal();
}
