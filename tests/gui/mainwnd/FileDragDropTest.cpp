// Drag and drop on the file list: files from a file manager, rows of our own
// list, the effect each drag shows, the drop highlight and the refusal of a
// folder dropped into itself. Every drop is checked on disk and on the
// test-bed server, byte for byte.
#include "DriveView.h"
#include "FileListModel.h"
#include "FileView.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "OleDS.h"
#include "ScriptedPrompt.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QDropEvent>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string Bytes(size_t size, char seed)
{
    std::string data(size, seed);
    for (size_t i = 0; i < size; i += 7)
        data[i] = static_cast<char>(i % 251);
    return data;
}

// What a file manager puts on a drag of local files.
std::unique_ptr<QMimeData> FileManagerData(const std::vector<fs::path>& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QByteArray gnome = "copy";
    for (const fs::path& path : paths) {
        urls.append(QUrl::fromLocalFile(QString::fromStdString(path.string())));
        gnome += '\n' + urls.back().toEncoded();
    }
    data->setUrls(urls);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    return data;
}

class FileDragDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_local = guitest::NewScratchFolder("filedd");
        m_pFrame = std::make_unique<CMainFrame>(&m_doc);
        m_pFrame->resize(900, 700);
        m_pFrame->show();
        g_Settings.m_bLocalUnique = g_Settings.m_bLocalPrompt = 0;
        g_Settings.m_bRemoteUnique = g_Settings.m_bRemotePrompt = 0;
        ASSERT_NE(viewtest::ConnectServer(*m_pFrame, m_doc, m_server, "one"), nullptr);
        ASSERT_TRUE(Tree()->AddDrive(m_local.string(), DriveKind::Fixed));
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        m_pFrame.reset();
        m_doc.OnCloseDocument();
    }

    CDriveView* Tree() { return m_pFrame->GetDriveView(); }
    CFileView* List() { return m_pFrame->GetFileView(); }

    // Shows a folder below the server (local false) or the local drive.
    void Show(bool local, const std::vector<std::string>& path)
    {
        QTreeWidgetItem* item = nullptr;
        for (int i = 0; i < Tree()->topLevelItemCount() && !item; ++i) {
            QTreeWidgetItem* top = Tree()->topLevelItem(i);
            const bool isLocal = CDriveView::GetItemData(top)->m_nFtpHandle == 0;
            if (isLocal == local && (!local || top->text(0).toStdString() == m_local.string() + "/"))
                item = top;
        }
        for (const std::string& name : path) {
            ASSERT_NE(item, nullptr);
            Tree()->collapseItem(item);
            Tree()->expandItem(item);
            item = Tree()->FindItem(item, name);
        }
        ASSERT_NE(item, nullptr);
        Tree()->setCurrentItem(item);
        List()->RefreshView();
    }
    void Select(const std::vector<std::string>& names)
    {
        QAbstractItemView* view = List()->GetListCtrl();
        view->clearSelection();
        for (const std::string& name : names)
            view->selectionModel()->select(List()->GetModel()->index(viewtest::RowOf(*List(), name), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The centre of a row, or (empty name) a point below every row.
    QPoint At(const std::string& name)
    {
        QAbstractItemView* view = List()->GetListCtrl();
        const QPoint inViewport =
            name.empty() ? QPoint(5, view->viewport()->height() - 3)
                         : view->visualRect(List()->GetModel()->index(viewtest::RowOf(*List(), name), 0)).center();
        return view->viewport()->mapTo(List(), inViewport);
    }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    std::unique_ptr<CMainFrame> m_pFrame;
    fs::path m_local;
};

}  // namespace

TEST_F(FileDragDrop, FilesFromAFileManagerUploadIntoTheShownFolderOrTheFolderRow)
{
    WriteFile(m_local / "a.bin", Bytes(200000, 1));
    WriteFile(m_local / "docs" / "deep" / "b.txt", "b\n");
    fs::create_directories(m_server.Root() / "up" / "inbox");
    WriteFile(m_server.Root() / "up" / "other.txt", "x");
    Show(false, {"up"});
    // A trailing "/" still names the folder.
    auto data = FileManagerData({m_local / "a.bin", m_local / "docs/"});

    // Over the folder row: highlighted, and a copy to another place.
    EXPECT_EQ(List()->OnDragEnter(data.get(), Qt::NoModifier, At("inbox")), Qt::CopyAction);
    const int inbox = viewtest::RowOf(*List(), "inbox");
    EXPECT_EQ(List()->GetDropIndex(), inbox);
    EXPECT_TRUE(List()->GetModel()->index(inbox, 0).data(CFileListModel::DropHighlightRole).toBool());
    // Over a file row the shown folder is the target: no highlight.
    EXPECT_EQ(List()->OnDragOver(data.get(), Qt::NoModifier, At("other.txt")), Qt::CopyAction);
    EXPECT_EQ(List()->GetDropIndex(), -1);
    List()->OnDragOver(data.get(), Qt::NoModifier, At("inbox"));
    List()->OnDragLeave();
    EXPECT_FALSE(List()->GetModel()->index(inbox, 0).data(CFileListModel::DropHighlightRole).toBool());

    EXPECT_TRUE(List()->OnDrop(data.get(), Qt::CopyAction, At("inbox")));
    EXPECT_EQ(ReadFile(m_server.Root() / "up" / "inbox" / "a.bin"), Bytes(200000, 1));
    EXPECT_EQ(ReadFile(m_server.Root() / "up" / "inbox" / "docs" / "deep" / "b.txt"), "b\n");
    EXPECT_EQ(List()->GetDropIndex(), -1);

    EXPECT_TRUE(List()->OnDrop(data.get(), Qt::CopyAction, At("")));
    EXPECT_EQ(ReadFile(m_server.Root() / "up" / "a.bin"), Bytes(200000, 1));
    // The list shows what arrived; the sources stay where they were.
    EXPECT_GE(viewtest::RowOf(*List(), "a.bin"), 0);
    EXPECT_TRUE(fs::exists(m_local / "a.bin"));
}

TEST_F(FileDragDrop, ServerRowsDroppedOnALocalFolderAreCopiedOrMoved)
{
    for (const Qt::DropAction effect : {Qt::CopyAction, Qt::MoveAction}) {
        SCOPED_TRACE(effect == Qt::MoveAction ? "move" : "copy");
        fs::remove_all(m_local / "dest");
        fs::create_directories(m_local / "dest");
        WriteFile(m_server.Root() / "down" / "file.bin", Bytes(150000, 7));
        WriteFile(m_server.Root() / "down" / "tree" / "x.txt", "x\n");
        Show(false, {"down"});
        Select({"file.bin", "tree"});
        std::unique_ptr<COleDS> data(List()->PackForClip(false));
        ASSERT_NE(data, nullptr);

        Show(true, {});
        EXPECT_TRUE(List()->OnDrop(data.get(), effect, At("dest")));
        EXPECT_EQ(ReadFile(m_local / "dest" / "file.bin"), Bytes(150000, 7));
        EXPECT_EQ(ReadFile(m_local / "dest" / "tree" / "x.txt"), "x\n");
        EXPECT_EQ(fs::exists(m_server.Root() / "down" / "file.bin"), effect == Qt::CopyAction);
        EXPECT_EQ(fs::exists(m_server.Root() / "down" / "tree"), effect == Qt::CopyAction);
    }
}

TEST_F(FileDragDrop, TheEffectFollowsCtrlThePlaceAndTheTarget)
{
    WriteFile(m_local / "src" / "f.txt", "f");
    fs::create_directories(m_local / "src" / "sub");
    fs::create_directories(m_local / "dest");
    WriteFile(m_server.Root() / "s.txt", "s");
    Show(false, {});
    Select({"s.txt"});
    std::unique_ptr<COleDS> serverRows(List()->PackForClip(false));
    Show(true, {"src"});
    Select({"f.txt", "sub"});
    std::unique_ptr<COleDS> localRows(List()->PackForClip(false));
    QMimeData described;
    described.setData(QStringLiteral("application/x-tavo-filegroupdescriptor"), QByteArray(4, '\0'));
    Show(true, {});

    const struct {
        const char* what;
        const QMimeData* data;
        Qt::KeyboardModifiers keys;
        std::string row;
        Qt::DropAction effect;
    } cases[] = {
        {"same volume", localRows.get(), Qt::NoModifier, "dest", Qt::MoveAction},
        {"same volume, Ctrl", localRows.get(), Qt::ControlModifier, "dest", Qt::CopyAction},
        {"from a server", serverRows.get(), Qt::NoModifier, "dest", Qt::CopyAction},
        {"described files", &described, Qt::NoModifier, "dest", Qt::CopyAction},
        {"back into their own folder", localRows.get(), Qt::NoModifier, "src", Qt::IgnoreAction},
        {"nothing we read", nullptr, Qt::NoModifier, "dest", Qt::IgnoreAction},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(List()->OnDragOver(c.data, c.keys, At(c.row)), c.effect);
    }
    // A dragged folder row over itself.
    Show(true, {"src"});
    EXPECT_EQ(List()->OnDragOver(localRows.get(), Qt::NoModifier, At("sub")), Qt::IgnoreAction);
    EXPECT_EQ(List()->OnDragOver(localRows.get(), Qt::NoModifier, At("")), Qt::IgnoreAction);
}

TEST_F(FileDragDrop, AFolderDroppedIntoItselfOrItsSubfolderIsRefused)
{
    WriteFile(m_local / "box" / "inner" / "keep.txt", "keep");
    Show(true, {});
    Select({"box"});
    std::unique_ptr<COleDS> data(List()->PackForClip(false));
    CScriptedPrompt prompt;

    EXPECT_FALSE(List()->OnDrop(data.get(), Qt::MoveAction, At("box")));
    Show(true, {"box"});
    EXPECT_FALSE(List()->OnDrop(data.get(), Qt::CopyAction, At("inner")));

    ASSERT_EQ(prompt.Requests().size(), 2u);
    EXPECT_EQ(prompt.Requests()[0].kind, PromptKind::Stop);
    EXPECT_EQ(prompt.Requests()[0].text.toStdString(),
              "Cannot Move box: The destination folder is the same as the source folder");
    EXPECT_EQ(prompt.Requests()[1].text.toStdString(),
              "Cannot Copy box: The destination folder is a subfolder of the source folder");
    EXPECT_EQ(ReadFile(m_local / "box" / "inner" / "keep.txt"), "keep");
    EXPECT_FALSE(fs::exists(m_local / "box" / "inner" / "box"));
    EXPECT_FALSE(fs::exists(m_local / "box" / "box"));
}

TEST_F(FileDragDrop, QtsDragEventsReachTheListAndADragThatEndsUnacceptedRemovesNothing)
{
    WriteFile(m_local / "one.txt", "1");
    WriteFile(m_local / "two.txt", "2");
    fs::create_directories(m_local / "into");
    Show(true, {});
    Select({"one.txt", "two.txt"});
    QWidget* viewport = List()->GetListCtrl()->viewport();
    const QPoint press = viewport->mapFrom(List(), At("one.txt"));

    // The mouse pulls a selected row: our drag runs with our data and ends
    // (the offscreen platform drops nowhere) with every file in place and
    // both rows still selected.
    guitest::TraceCapture trace;
    QMouseEvent down(QEvent::MouseButtonPress, press, viewport->mapToGlobal(press), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &down);
    const QPoint far = press + QPoint(40, 0);
    QMouseEvent pull(QEvent::MouseMove, far, viewport->mapToGlobal(far), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &pull);
    EXPECT_TRUE(trace.Has("CFileView.OnBegindrag: Start DoDragDrop"));
    EXPECT_TRUE(trace.Has("CFileView.OnBegindrag: Exit"));
    EXPECT_FALSE(m_doc.m_bDragging);
    EXPECT_EQ(List()->GetSelectedItems().size(), 2u);
    EXPECT_TRUE(fs::exists(m_local / "one.txt") && fs::exists(m_local / "two.txt"));

    // Drag events on the view go to the list's handlers.
    std::unique_ptr<COleDS> data(List()->PackForClip(false));
    const QPoint over = viewport->mapFrom(List(), At("into"));
    QDragEnterEvent enter(over, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    EXPECT_EQ(List()->GetDropIndex(), viewtest::RowOf(*List(), "into"));
    QDropEvent drop(over, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(ReadFile(m_local / "into" / "one.txt") + ReadFile(m_local / "into" / "two.txt"), "12");
    EXPECT_FALSE(fs::exists(m_local / "one.txt") || fs::exists(m_local / "two.txt"));
    EXPECT_EQ(List()->GetDropIndex(), -1);
    EXPECT_LT(viewtest::RowOf(*List(), "one.txt"), 0);
}
