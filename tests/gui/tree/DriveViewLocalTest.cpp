// The folder tree on local folders: volumes as top items, lazy expansion with
// placeholders, paths and lookups, the current place, rename and delete in
// place, the context menu, and the keep-alive timers it hosts.
#include "DriveView.h"

#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "ScriptedPrompt.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TreeTestSupport.h"

#include <netvo32.h>

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A scratch folder shown as a volume of its own:
//   alpha/ (one/ (deep/), two/), beta/ (empty), gamma.txt, .hidden/
class LocalTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        treetest::ClearProfile();
        m_root = guitest::NewScratchFolder("tree");
        fs::create_directories(m_root / "alpha" / "one" / "deep");
        fs::create_directories(m_root / "alpha" / "two");
        fs::create_directories(m_root / "beta");
        fs::create_directories(m_root / ".hidden");
        guitest::WriteFile(m_root / "gamma.txt", "g");
        m_pView = std::make_unique<CDriveView>(&m_doc, nullptr);
        ASSERT_TRUE(m_pView->AddDrive(m_root.string(), DriveKind::Fixed));
        m_pDrive = m_pView->topLevelItem(m_pView->topLevelItemCount() - 1);
    }

    std::string Root() const { return m_root.string() + "/"; }

    QTreeWidgetItem* Expand(QTreeWidgetItem* item)
    {
        m_pView->expandItem(item);
        return item;
    }

    CTavoDoc m_doc;
    fs::path m_root;
    std::unique_ptr<CDriveView> m_pView;
    QTreeWidgetItem* m_pDrive = nullptr;
};

}  // namespace

TEST_F(LocalTree, VolumeItemsShowTheirKindAndAButtonOnlyWithSubfolders)
{
    EXPECT_EQ(m_pDrive->text(0).toStdString(), Root());
    EXPECT_EQ(CDriveView::GetItemImage(m_pDrive), CDriveView::kImageFixed);
    ASSERT_EQ(m_pDrive->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(m_pDrive->child(0)));
    ASSERT_NE(CDriveView::GetItemData(m_pDrive), nullptr);
    EXPECT_EQ(CDriveView::GetItemData(m_pDrive)->m_nFtpHandle, 0);

    // An empty volume has nothing to open.
    const fs::path empty = guitest::NewScratchFolder("empty");
    ASSERT_TRUE(m_pView->AddDrive(empty.string(), DriveKind::Network));
    QTreeWidgetItem* network = m_pView->topLevelItem(m_pView->topLevelItemCount() - 1);
    EXPECT_EQ(CDriveView::GetItemImage(network), CDriveView::kImageNetwork);
    EXPECT_EQ(network->childCount(), 0);

    // Removable media are never touched before they are opened: a missing
    // medium still shows a button, and opening it finds nothing but keeps
    // the button for another try.
    ASSERT_TRUE(m_pView->AddDrive("/nonexistent-tavo-medium", DriveKind::Removable));
    QTreeWidgetItem* removable = m_pView->topLevelItem(m_pView->topLevelItemCount() - 1);
    EXPECT_EQ(removable->text(0), QStringLiteral("/nonexistent-tavo-medium/"));
    EXPECT_EQ(CDriveView::GetItemImage(removable), CDriveView::kImageRemovable);
    ASSERT_EQ(removable->childCount(), 1);
    EXPECT_EQ(CDriveView::GetItemData(removable->child(0)), nullptr);
    m_pView->expandItem(removable);
    EXPECT_FALSE(removable->isExpanded());
    ASSERT_EQ(removable->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(removable->child(0)));

    ASSERT_TRUE(m_pView->AddDrive("/nonexistent-tavo-disc", DriveKind::CdRom));
    EXPECT_EQ(CDriveView::GetItemImage(m_pView->topLevelItem(m_pView->topLevelItemCount() - 1)),
              CDriveView::kImageCdRom);
    EXPECT_FALSE(m_pView->AddDrive("/proc", DriveKind::Hidden));
}

TEST_F(LocalTree, ExpandingReadsFoldersSortedWithPlaceholdersWhereThereIsMore)
{
    guitest::TraceCapture capture;
    Expand(m_pDrive);
    EXPECT_TRUE(m_pDrive->isExpanded());
    EXPECT_EQ(treetest::ChildLabels(m_pDrive), (QStringList{".hidden", "alpha", "beta"}));
    EXPECT_TRUE(capture.Has("CDriveView.OnItemExpanding: Item expanding"));
    EXPECT_TRUE(capture.Has("Add directory = alpha"));

    QTreeWidgetItem* alpha = m_pView->FindItem(m_pDrive, "alpha");
    QTreeWidgetItem* beta = m_pView->FindItem(m_pDrive, "beta");
    ASSERT_TRUE(alpha && beta);
    EXPECT_EQ(CDriveView::GetItemImage(alpha), CDriveView::kImageFolder);
    EXPECT_EQ(CDriveView::GetItemData(alpha)->m_strName, "alpha");
    // alpha has subfolders, so it gets one placeholder; beta gets none.
    ASSERT_EQ(alpha->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(alpha->child(0)));
    EXPECT_EQ(beta->childCount(), 0);

    Expand(alpha);
    EXPECT_EQ(treetest::ChildLabels(alpha), (QStringList{"one", "two"}));
    QTreeWidgetItem* one = m_pView->FindItem(alpha, "one");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->childCount(), 1);

    // Opening a folder without subfolders is refused and leaves it without
    // a button.
    QTreeWidgetItem* two = m_pView->FindItem(alpha, "two");
    two->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    Expand(two);
    EXPECT_FALSE(two->isExpanded());
    EXPECT_EQ(two->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);

    // Collapsing drops the children; a folder with subfolders gets its
    // placeholder back, and the next expansion reads the disk afresh.
    fs::create_directories(m_root / "alpha" / "three");
    m_pView->collapseItem(alpha);
    EXPECT_TRUE(capture.Has("CDriveView.OnItemExpanding: Item collapse"));
    ASSERT_EQ(alpha->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(alpha->child(0)));
    Expand(alpha);
    EXPECT_EQ(treetest::ChildLabels(alpha), (QStringList{"one", "three", "two"}));

    // A volume gets its placeholder back whatever it holds.
    m_pView->collapseItem(m_pDrive);
    ASSERT_EQ(m_pDrive->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(m_pDrive->child(0)));
}

TEST_F(LocalTree, PathsAndLookupsFollowTheItems)
{
    Expand(m_pDrive);
    QTreeWidgetItem* alpha = m_pView->FindItem(m_pDrive, "alpha");
    Expand(alpha);
    QTreeWidgetItem* one = m_pView->FindItem(alpha, "one");
    ASSERT_NE(one, nullptr);

    EXPECT_EQ(m_pView->GetPathFromItem(m_pDrive, false), Root());
    EXPECT_EQ(m_pView->GetPathFromItem(alpha, false), Root() + "alpha");
    EXPECT_EQ(m_pView->GetPathFromItem(one, false), Root() + "alpha/one");
    EXPECT_EQ(m_pView->GetPathFromItem(one, true), Root() + "alpha/one/");
    EXPECT_EQ(CDriveView::GetTopParent(one), m_pDrive);
    EXPECT_EQ(m_pView->GetFtpHandle(one), 0);
    EXPECT_EQ(m_pView->GetSession(one), nullptr);

    // Lookups: case-sensitive labels, only what is in the tree already.
    EXPECT_EQ(m_pView->FindItem(m_pDrive, "Alpha"), nullptr);
    EXPECT_EQ(m_pView->FindPathItem(Root() + "alpha/one", 0), one);
    EXPECT_EQ(m_pView->FindPathItem(Root() + "alpha/one/", 0), one);
    EXPECT_EQ(m_pView->FindPathItem(Root() + "alpha", 0), alpha);
    EXPECT_EQ(m_pView->FindPathItem(Root() + "alpha/one/deep", 0), nullptr);  // never expanded
    EXPECT_EQ(m_pView->FindPathItem(Root() + "alpha/nothing", 0), nullptr);

    EXPECT_EQ(g_GetSeparator(0), "/");
    std::string path = "/a";
    CDriveView::AppendSeparator(path, 0);
    EXPECT_EQ(path, "/a/");
    CDriveView::AppendSeparator(path, 0);
    EXPECT_EQ(path, "/a/");
}

TEST_F(LocalTree, SelectingAFolderMakesItTheCurrentPlace)
{
    QSignalSpy hints(m_pView.get(), &CDriveView::currentPlaceChanged);
    Expand(m_pDrive);
    QTreeWidgetItem* beta = m_pView->FindItem(m_pDrive, "beta");
    m_pView->setCurrentItem(beta);

    ASSERT_EQ(hints.count(), 1);
    EXPECT_EQ(hints[0][0].toInt(), 90);
    EXPECT_EQ(hints[0][1].toInt(), 0);
    EXPECT_EQ(hints[0][3].toString().toStdString(), Root() + "beta");
    EXPECT_EQ(m_pView->GetCurrentHandle(), 0);
    EXPECT_EQ(m_pView->GetCurrentItem(), beta);
    EXPECT_EQ(m_doc.GetCurrentPath(), Root() + "beta");
    EXPECT_EQ(m_doc.GetCurrentSession(), "");
    char cwd[4096] = {};
    f_getcwd(cwd, sizeof cwd);
    EXPECT_EQ(fs::path(cwd), fs::canonical(m_root / "beta"));

    // The file list opens a folder: the tree follows.
    m_pView->setCurrentItem(m_pDrive);
    fs::create_directories(m_root / "delta");
    m_pView->ChangeSelectedDirectory("delta");  // not read yet: the tree re-reads
    ASSERT_NE(m_pView->currentItem(), nullptr);
    EXPECT_EQ(m_pView->currentItem()->text(0), QStringLiteral("delta"));
    EXPECT_EQ(m_doc.GetCurrentPath(), Root() + "delta");

    // A folder made in the file list appears under the selection.
    fs::create_directories(m_root / "delta" / "made");
    fs::create_directories(m_root / "delta" / "made" / "inner");
    m_pView->AddFolderItem(Root() + "delta", "made");
    QTreeWidgetItem* made = m_pView->FindItem(m_pView->currentItem(), "made");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->childCount(), 1);  // it has a subfolder
    m_pView->AddFolderItem(Root() + "delta", "made");
    EXPECT_EQ(treetest::ChildLabels(m_pView->currentItem()).count(QStringLiteral("made")), 1);
}

TEST_F(LocalTree, RefreshRereadsTheSelectedFolder)
{
    Expand(m_pDrive);
    m_pView->setCurrentItem(m_pDrive);
    fs::create_directories(m_root / "epsilon");
    fs::remove_all(m_root / "beta");
    m_pView->Refresh();
    EXPECT_TRUE(m_pDrive->isExpanded());
    EXPECT_EQ(treetest::ChildLabels(m_pDrive), (QStringList{".hidden", "alpha", "epsilon"}));

    // A collapsed selection only gets its placeholder back.
    m_pView->collapseItem(m_pDrive);
    m_pView->Refresh();
    EXPECT_FALSE(m_pDrive->isExpanded());
    ASSERT_EQ(m_pDrive->childCount(), 1);
    EXPECT_TRUE(CDriveView::IsPlaceholder(m_pDrive->child(0)));
}

TEST_F(LocalTree, RenameInPlaceRenamesOnDiskOnlyWhenItWorks)
{
    Expand(m_pDrive);
    QTreeWidgetItem* alpha = m_pView->FindItem(m_pDrive, "alpha");
    QTreeWidgetItem* beta = m_pView->FindItem(m_pDrive, "beta");
    m_pView->setCurrentItem(alpha);
    guitest::TraceCapture capture;

    // Same name, empty name, a path and a name taken already: refused, and
    // nothing changes on disk.
    EXPECT_FALSE(m_pView->OnEndlabeledit(alpha, QStringLiteral("alpha")));
    EXPECT_FALSE(m_pView->OnEndlabeledit(alpha, QString()));
    EXPECT_FALSE(m_pView->OnEndlabeledit(alpha, QStringLiteral("x/y")));
    EXPECT_FALSE(m_pView->OnEndlabeledit(alpha, QStringLiteral("beta")));
    EXPECT_TRUE(fs::is_directory(m_root / "alpha"));
    EXPECT_EQ(alpha->text(0), QStringLiteral("alpha"));
    EXPECT_TRUE(capture.Has("CDriveView.OnEndlabeledit: Rename failed"));
    // Volumes cannot be renamed at all.
    EXPECT_FALSE(m_pView->OnEndlabeledit(m_pDrive, QStringLiteral("other")));
    EXPECT_FALSE(m_pDrive->flags() & Qt::ItemIsEditable);

    // The selected folder: renamed on disk, relabelled, and still current.
    QSignalSpy hints(m_pView.get(), &CDriveView::currentPlaceChanged);
    EXPECT_TRUE(m_pView->OnEndlabeledit(alpha, QStringLiteral("omega")));
    EXPECT_TRUE(fs::is_directory(m_root / "omega" / "one"));
    EXPECT_FALSE(fs::exists(m_root / "alpha"));
    EXPECT_EQ(alpha->text(0), QStringLiteral("omega"));
    EXPECT_EQ(CDriveView::GetItemData(alpha)->m_strName, "omega");
    EXPECT_EQ(m_doc.GetCurrentPath(), Root() + "omega");
    ASSERT_GE(hints.count(), 1);
    EXPECT_EQ(hints.last()[3].toString().toStdString(), Root() + "omega");
    EXPECT_TRUE(capture.Has("CDriveView.OnEndlabeledit: Rename successful"));

    // The current place inside a renamed folder moves along with it.
    m_pView->expandItem(alpha);
    QTreeWidgetItem* one = m_pView->FindItem(alpha, "one");
    ASSERT_NE(one, nullptr);
    m_pView->setCurrentItem(one);
    EXPECT_TRUE(m_pView->OnEndlabeledit(alpha, QStringLiteral("psi")));
    EXPECT_EQ(m_doc.GetCurrentPath(), Root() + "psi/one");
    EXPECT_EQ(hints.last()[3].toString().toStdString(), Root() + "psi/one");
    char cwd[4096] = {};
    f_getcwd(cwd, sizeof cwd);
    EXPECT_EQ(fs::path(cwd), fs::canonical(m_root / "psi" / "one"));

    // Through the editor, as the user does it (F2, type, Enter).
    m_pView->setCurrentItem(beta);
    m_pView->editItem(beta);
    auto* editor = m_pView->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("beta renamed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(fs::is_directory(m_root / "beta renamed"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(beta->text(0), QStringLiteral("beta renamed"), 5000);
}

TEST_F(LocalTree, DeleteAsksAndMovesTheFolderToTheTrash)
{
    Expand(m_pDrive);
    QTreeWidgetItem* beta = m_pView->FindItem(m_pDrive, "beta");
    m_pView->setCurrentItem(beta);
    EXPECT_TRUE(m_pView->CanEditDelete());
    CScriptedPrompt prompt;
    prompt.QueueYesNo(false);
    m_pView->OnEditDelete();
    ASSERT_EQ(prompt.Requests().size(), 1u);
    EXPECT_TRUE(prompt.Requests()[0].text.contains(QString::fromStdString(Root() + "beta")));
    EXPECT_TRUE(fs::is_directory(m_root / "beta"));
    EXPECT_EQ(m_pView->FindItem(m_pDrive, "beta"), beta);

    prompt.QueueYesNo(true);
    m_pView->OnEditDelete();
    EXPECT_FALSE(fs::exists(m_root / "beta"));
    EXPECT_EQ(m_pView->FindItem(m_pDrive, "beta"), nullptr);
    // It went to the Trash, where it can be taken back.
    EXPECT_TRUE(fs::is_directory(guitest::DataHome() / "Trash" / "files" / "beta"));
    // The selection moved to the parent, and the program with it.
    EXPECT_EQ(m_pView->currentItem(), m_pDrive);
    EXPECT_EQ(m_doc.GetCurrentPath(), Root());

    // Volumes are not deleted.
    m_pView->setCurrentItem(m_pDrive);
    EXPECT_FALSE(m_pView->CanEditDelete());
}

TEST_F(LocalTree, TheTrashShowsWithItsOwnImageAndNoChildren)
{
    const fs::path trash = guitest::DataHome() / "Trash";
    fs::create_directories(trash / "files" / "old");
    fs::create_directories(trash / "info");
    ASSERT_TRUE(CDriveView::IsRecycleBin(trash.string()));
    EXPECT_FALSE(CDriveView::IsRecycleBin((m_root / "alpha").string()));

    ASSERT_TRUE(m_pView->AddDrive(guitest::DataHome().string(), DriveKind::Fixed));
    QTreeWidgetItem* data = m_pView->topLevelItem(m_pView->topLevelItemCount() - 1);
    Expand(data);
    QTreeWidgetItem* item = m_pView->FindItem(data, "Trash");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(CDriveView::GetItemImage(item), 6);
    EXPECT_EQ(item->childCount(), 0);
    EXPECT_FALSE(item->flags() & Qt::ItemIsEditable);

    // A folder of that name anywhere else is an ordinary folder.
    fs::create_directories(m_root / "Trash" / "sub");
    m_pView->collapseItem(m_pDrive);
    Expand(m_pDrive);
    QTreeWidgetItem* plain = m_pView->FindItem(m_pDrive, "Trash");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(CDriveView::GetItemImage(plain), CDriveView::kImageFolder);
    EXPECT_EQ(plain->childCount(), 1);
}

TEST_F(LocalTree, ContextMenuOffersSendToForFoldersOnly)
{
    const fs::path sendTo = guitest::DataHome() / "Tavo" / "SendTo";
    guitest::WriteFile(sendTo / "Viewer.desktop",
                       "[Desktop Entry]\nType=Application\nName=Folder Viewer\nExec=true %f\n");
    Expand(m_pDrive);
    QTreeWidgetItem* alpha = m_pView->FindItem(m_pDrive, "alpha");

    std::unique_ptr<QMenu> top(m_pView->BuildContextMenu(m_pDrive));
    ASSERT_GE(top->actions().size(), 3);
    QAction* sendToTop = top->actions()[2];
    EXPECT_EQ(sendToTop->text(), QStringLiteral("&Send To"));
    EXPECT_FALSE(sendToTop->isEnabled());

    std::unique_ptr<QMenu> folder(m_pView->BuildContextMenu(alpha));
    QAction* sendToFolder = folder->actions()[2];
    ASSERT_NE(sendToFolder->menu(), nullptr);
    EXPECT_TRUE(sendToFolder->isEnabled());
    const QList<QAction*> entries = sendToFolder->menu()->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Folder Viewer"));

    // The entry is enabled while a local folder is current, and runs on the
    // folder the menu was opened on.
    const int id = entries[0]->data().toInt();
    bool enabled = false;
    m_pView->setCurrentItem(alpha);
    EXPECT_TRUE(m_pView->OnCmdMsg(id, false, &enabled));
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(m_pView->OnCmdMsg(1, false, &enabled));  // not a shell entry
    guitest::TraceCapture capture;
    EXPECT_TRUE(m_pView->OnCmdMsg(id, true));
    EXPECT_TRUE(capture.Has("CDriveView.OnCmdMsg: Execute the menu item"));
    EXPECT_TRUE(capture.Has("Params = \"" + Root() + "alpha\""));
}

TEST_F(LocalTree, SessionTimersTickIntoTheKeepAliveCheck)
{
    m_pView->StartSessionTimer(7, 60000);
    EXPECT_TRUE(m_pView->HasSessionTimer(7));
    m_pView->StartSessionTimer(7, 30000);  // a second start replaces the first
    EXPECT_TRUE(m_pView->HasSessionTimer(7));
    guitest::TraceCapture capture;
    m_pView->OnTimer(7);
    EXPECT_TRUE(capture.Has("g_CheckTimerEvent: Get Event ID 7 session."));
    m_pView->KillSessionTimer(7);
    EXPECT_FALSE(m_pView->HasSessionTimer(7));

    // A session whose timer lives on the view outlives it safely.
    std::string name = "keepalive";
    CSession* session = m_doc.AddSession(name);
    session->m_nFtpHandle = 4242;  // never connected; only the timer matters
    session->SetKeepALive(m_pView.get(), 5);
    EXPECT_TRUE(m_pView->HasSessionTimer(4242));
    EXPECT_EQ(session->m_nIdleLimit, 295);
    m_pView.reset();
    EXPECT_EQ(session->m_hTimerWnd, nullptr);
    session->m_nFtpHandle = 0;
    g_RemoveSession(session);
}
