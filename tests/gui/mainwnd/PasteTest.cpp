// Copy, cut and paste as a user does them in the main window: rows or tree
// folders copied, a folder selected in the tree, Paste. Every case checks
// what arrived on disk, byte for byte, on the test-bed servers and locally.
#include "DriveView.h"
#include "FileListModel.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "OleDS.h"
#include "ScriptedPrompt.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"
#include "WaitHook.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string Bytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

// Every file and folder under `root`: relative path -> contents, or "<dir>".
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    if (!fs::exists(root))
        return entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        entries[name] = entry.is_directory() ? std::string("<dir>") : ReadFile(entry.path());
    }
    return entries;
}

// A file and a folder tree with an empty folder inside.
void MakeSource(const fs::path& folder)
{
    WriteFile(folder / "file.bin", Bytes(300000, 1));
    WriteFile(folder / "tree" / "top.txt", "top\n");
    WriteFile(folder / "tree" / "a" / "b" / "deep.bin", Bytes(70000, 2));
    fs::create_directories(folder / "tree" / "a" / "empty");
}

bool HasPartFiles(const fs::path& folder)
{
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().ends_with(".part"))
            return true;
    }
    return false;
}

class Paste : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_local = guitest::NewScratchFolder("paste");
        m_pFrame = std::make_unique<CMainFrame>(&m_doc);
        g_Settings.m_bLocalUnique = 0;
        g_Settings.m_bLocalPrompt = 0;
        g_Settings.m_bRemoteUnique = 0;
        g_Settings.m_bRemotePrompt = 0;
        ASSERT_NE(viewtest::ConnectServer(*m_pFrame, m_doc, m_one, "one"), nullptr);
        ASSERT_NE(viewtest::ConnectServer(*m_pFrame, m_doc, m_two, "two"), nullptr);
        ASSERT_TRUE(Tree()->AddDrive(m_local.string(), DriveKind::Fixed));
    }

    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        m_pFrame.reset();
        m_doc.OnCloseDocument();
        g_nTransferType = TransferAuto;
    }

    CDriveView* Tree() { return m_pFrame->GetDriveView(); }
    CFileView* List() { return m_pFrame->GetFileView(); }

    // "local", "one" or "two": the place's top item in the tree and its
    // folder on disk.
    QTreeWidgetItem* Top(const std::string& place)
    {
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = Tree()->topLevelItem(i);
            const bool local = place == "local";
            const int handle = CDriveView::GetItemData(item) ? CDriveView::GetItemData(item)->m_nFtpHandle : 0;
            if (local && handle == 0 && item->text(0).toStdString() == m_local.string() + "/")
                return item;
            if (!local && handle > 0 && Tree()->GetSessionName(item) == place)
                return item;
        }
        return nullptr;
    }
    fs::path Disk(const std::string& place)
    {
        return place == "local" ? m_local : place == "one" ? m_one.Root() : m_two.Root();
    }

    // The item of a folder below a place, read from the place as the user
    // opens it.
    QTreeWidgetItem* Folder(const std::string& place, const std::vector<std::string>& path = {})
    {
        QTreeWidgetItem* item = Top(place);
        for (const std::string& name : path) {
            if (!item)
                return nullptr;
            Tree()->collapseItem(item);
            Tree()->expandItem(item);
            item = Tree()->FindItem(item, name);
        }
        return item;
    }

    // Shows the folder in the list and selects the rows of these names.
    void SelectRows(QTreeWidgetItem* folder, const std::vector<std::string>& names)
    {
        ASSERT_NE(folder, nullptr);
        Tree()->setCurrentItem(folder);
        // Files made by the test since the folder was last shown.
        List()->RefreshView();
        QAbstractItemView* view = List()->GetListCtrl();
        view->clearSelection();
        for (const std::string& name : names) {
            const int row = List()->GetModel()->FindName(name);
            ASSERT_GE(row, 0) << name;
            view->selectionModel()->select(List()->GetModel()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    void CopyRows(QTreeWidgetItem* folder, const std::vector<std::string>& names, bool cut = false)
    {
        SelectRows(folder, names);
        m_pFrame->SetActivePane(CMainFrame::Pane::List);
        ASSERT_TRUE(m_pFrame->GetAction(cut ? CMainFrame::CmdCut : CMainFrame::CmdCopy)->isEnabled());
        if (cut)
            m_pFrame->OnEditCut();
        else
            m_pFrame->OnEditCopy();
    }
    bool PasteInto(QTreeWidgetItem* folder)
    {
        Tree()->setCurrentItem(folder);
        m_pFrame->SetActivePane(CMainFrame::Pane::Tree);
        EXPECT_TRUE(m_pFrame->GetAction(CMainFrame::CmdPaste)->isEnabled());
        return Tree()->OnEditPaste();
    }

    testbed::TestFtpServer m_one;
    testbed::TestFtpServer m_two;
    CTavoDoc m_doc;
    std::unique_ptr<CMainFrame> m_pFrame;
    fs::path m_local;
};

}  // namespace

TEST_F(Paste, EveryDirectionCopiesFilesAndFolderTreesExactly)
{
    const std::pair<std::string, std::string> directions[] = {
        {"one", "local"}, {"local", "one"}, {"one", "two"}, {"local", "local"}};
    for (const auto& [from, to] : directions) {
        SCOPED_TRACE(from + " to " + to);
        const std::string source = "src-" + from + "-" + to;
        const std::string target = "dst-" + from + "-" + to;
        MakeSource(Disk(from) / source);
        fs::create_directories(Disk(to) / target);
        CopyRows(Folder(from, {source}), {"file.bin", "tree"});
        EXPECT_TRUE(PasteInto(Folder(to, {target})));
        EXPECT_EQ(Snapshot(Disk(to) / target), Snapshot(Disk(from) / source));
        EXPECT_EQ(Snapshot(Disk(from) / source).size(), 7u);
    }
}

TEST_F(Paste, TheTransferModeDecidesTheTypeOnEveryServer)
{
    for (CSession* session : {m_doc.GetSession("one"), m_doc.GetSession("two")})
        session->SetAsciiCallback(reinterpret_cast<std::intptr_t>(&g_Settings), &CSettings::AsciiCallback, true);
    g_Settings.m_lstAsciiExt = {"*.txt"};
    WriteFile(m_one.Root() / "notes.txt", "line\n");
    const struct {
        int mode;
        const char* type;
    } cases[] = {{TransferAuto, "TYPE A"}, {TransferBinary, "TYPE I"}, {TransferAscii, "TYPE A"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        g_nTransferType = c.mode;
        const size_t seenOne = m_one.Commands().size();
        const size_t seenTwo = m_two.Commands().size();
        CopyRows(Top("one"), {"notes.txt"});
        EXPECT_TRUE(PasteInto(Top("two")));
        EXPECT_EQ(ReadFile(m_two.Root() / "notes.txt"), "line\n");
        // The type each server was in when the copy began.
        for (const auto& [server, seen] : {std::pair{&m_one, seenOne}, std::pair{&m_two, seenTwo}}) {
            const std::vector<std::string> lines = server->Commands();
            std::string last;
            for (size_t i = seen; i < lines.size(); ++i) {
                if (lines[i].starts_with("TYPE "))
                    last = lines[i];
                if (lines[i].starts_with("RETR") || lines[i].starts_with("STOR"))
                    break;
            }
            EXPECT_EQ(last, c.type);
        }
    }
    g_Settings.m_lstAsciiExt.clear();
}

TEST_F(Paste, CutThenPasteMovesOnlyAfterTheWholeCopySucceeded)
{
    MakeSource(m_one.Root() / "pub");
    const auto original = Snapshot(m_one.Root() / "pub" / "tree");

    // A file in the folder cannot be read: nothing of the source may go,
    // and the user hears why.
    m_one.FailCommand("RETR", 1, 550);
    guitest::TraceCapture trace;
    CopyRows(Folder("one", {"pub"}), {"tree"}, true);
    EXPECT_FALSE(PasteInto(Top("local")));
    EXPECT_EQ(Snapshot(m_one.Root() / "pub" / "tree"), original);
    EXPECT_TRUE(trace.Has("550"));

    // The same cut pasted again without the fault moves the folder.
    fs::remove_all(m_local / "tree");
    CopyRows(Folder("one", {"pub"}), {"tree"}, true);
    EXPECT_TRUE(PasteInto(Top("local")));
    EXPECT_EQ(Snapshot(m_local / "tree"), original);
    EXPECT_FALSE(fs::exists(m_one.Root() / "pub" / "tree"));
    // The cut is used up: the clipboard no longer offers it.
    EXPECT_FALSE(CanPasteData(QGuiApplication::clipboard()->mimeData()));

    // An empty remote folder is moved too; a local folder with a link to
    // an ancestor is copied without following it, and then stays.
    fs::create_directories(m_one.Root() / "pub" / "hollow");
    CopyRows(Folder("one", {"pub"}), {"hollow"}, true);
    EXPECT_TRUE(PasteInto(Top("local")));
    EXPECT_TRUE(fs::is_directory(m_local / "hollow"));
    EXPECT_FALSE(fs::exists(m_one.Root() / "pub" / "hollow"));

    // A folder the server will not make: the move fails, nothing goes.
    WriteFile(m_local / "refused" / "r.txt", "r");
    m_one.FailCommand("MKD", 1, 550);
    CopyRows(Top("local"), {"refused"}, true);
    EXPECT_FALSE(PasteInto(Folder("one", {"pub"})));
    EXPECT_EQ(ReadFile(m_local / "refused" / "r.txt"), "r");
    EXPECT_FALSE(fs::exists(m_one.Root() / "pub" / "refused"));

    WriteFile(m_local / "loop" / "kept.txt", "kept");
    fs::create_directory_symlink(m_local, m_local / "loop" / "up");
    CopyRows(Top("local"), {"loop"}, true);
    EXPECT_FALSE(PasteInto(Folder("one", {"pub"})));
    EXPECT_EQ(ReadFile(m_one.Root() / "pub" / "loop" / "kept.txt"), "kept");
    EXPECT_FALSE(fs::exists(m_one.Root() / "pub" / "loop" / "up"));
    EXPECT_TRUE(fs::is_symlink(m_local / "loop" / "up"));
    EXPECT_EQ(ReadFile(m_local / "loop" / "kept.txt"), "kept");
}

TEST_F(Paste, FailedTransfersLeaveNoPiecesAndCancelStopsEverything)
{
    // A download broken off half way: no part file, the old file intact.
    WriteFile(m_one.Root() / "big.bin", Bytes(1 << 20, 3));
    WriteFile(m_local / "big.bin", "the old contents");
    m_one.DropAfterBytes("RETR", 200000);
    CopyRows(Top("one"), {"big.bin"});
    EXPECT_FALSE(PasteInto(Top("local")));
    EXPECT_EQ(ReadFile(m_local / "big.bin"), "the old contents");
    EXPECT_FALSE(HasPartFiles(m_local));

    // An upload broken off to a name that was free: nothing stays there.
    WriteFile(m_local / "up.bin", Bytes(1 << 20, 4));
    m_one.DropAfterBytes("STOR", 200000);
    CopyRows(Top("local"), {"up.bin"});
    EXPECT_FALSE(PasteInto(Top("one")));
    EXPECT_FALSE(fs::exists(m_one.Root() / "up.bin"));

    // A folder gone since it was copied is no success, however the server
    // lists it, and leaves no empty folder here.
    m_one.ClearFaults();
    using Errors = testbed::TestFtpServer::ListErrors;
    for (const Errors how : {Errors::Refuse, Errors::Vsftpd, Errors::Empty}) {
        m_one.SetListErrors(how);
        fs::create_directories(m_one.Root() / "vanishing");
        CopyRows(Top("one"), {"vanishing"});
        fs::remove(m_one.Root() / "vanishing");
        EXPECT_FALSE(PasteInto(Top("local")));
        EXPECT_FALSE(fs::exists(m_local / "vanishing"));
    }

    // Cancel in the middle of a slow download of two files.
    m_one.ClearFaults();
    WriteFile(m_one.Root() / "next.bin", "next");
    m_one.AnnounceRealSize();
    m_one.Throttle(256 * 1024);
    g_GetSession(m_doc.GetSession("one")->GetFtpHandle())->SetStatusBox(true);
    CWaitHook::Install(m_pFrame.get());
    CWaitHook::SetShowDelay(0);
    bool pressed = false;
    QTimer canceller;
    canceller.setInterval(20);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* label = widget->objectName() == "WaitProgress" && widget->isVisible() ? widget->findChild<QLabel*>()
                                                                                        : nullptr;
            // Once bytes have arrived, as a user watching the window would.
            if (label && label->text().contains(" of ") && !pressed) {
                pressed = true;
                QTest::mouseClick(widget->findChild<QPushButton*>("WaitCancel"), Qt::LeftButton);
            }
        }
    });
    canceller.start();
    CopyRows(Top("one"), {"big.bin", "next.bin"});
    EXPECT_FALSE(PasteInto(Top("local")));
    canceller.stop();
    CWaitHook::Uninstall();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(ReadFile(m_local / "big.bin"), "the old contents");
    EXPECT_FALSE(fs::exists(m_local / "next.bin"));
    EXPECT_FALSE(HasPartFiles(m_local));
    // The connection still works after the Cancel.
    m_one.Throttle(0);
    CopyRows(Top("one"), {"next.bin"});
    EXPECT_TRUE(PasteInto(Top("local")));
    EXPECT_EQ(ReadFile(m_local / "next.bin"), "next");
}

TEST_F(Paste, UniqueNamesOnBothSides)
{
    g_Settings.m_bLocalUnique = 1;
    g_Settings.m_bRemoteUnique = 1;
    WriteFile(m_one.Root() / "a.txt", "remote a");
    WriteFile(m_local / "a.txt", "local a");
    CopyRows(Top("one"), {"a.txt"});
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(PasteInto(Top("local")));
    CopyRows(Top("local"), {"a.txt"});
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(PasteInto(Top("one")));

    for (const char* name : {"Copy Of a.txt", "Copy Of a.txt (1)", "Copy Of a.txt (2)"})
        EXPECT_EQ(ReadFile(m_local / name), "remote a") << name;
    for (const char* name : {"CopyOfa.txt", "CopyOfa.txt(1)", "CopyOfa.txt(2)"})
        EXPECT_EQ(ReadFile(m_one.Root() / name), "local a") << name;
    EXPECT_EQ(ReadFile(m_local / "a.txt"), "local a");
    EXPECT_EQ(ReadFile(m_one.Root() / "a.txt"), "remote a");

    // A file pasted into its own folder with both settings off is never
    // copied onto itself.
    g_Settings.m_bLocalUnique = 0;
    CopyRows(Top("local"), {"a.txt"});
    EXPECT_TRUE(PasteInto(Top("local")));
    EXPECT_EQ(ReadFile(m_local / "a.txt"), "local a");
    EXPECT_EQ(ReadFile(m_local / "Copy Of a.txt (3)"), "local a");
}

TEST_F(Paste, TheReplaceQuestionsThreeAnswers)
{
    g_Settings.m_bLocalPrompt = 1;
    g_Settings.m_bRemotePrompt = 1;
    struct Case {
        std::string from, to;
        bool yes;
        std::string renameTo;  // the answer to the name dialog; empty: Cancel
        std::string expectTarget, expectRenamed;
    };
    const Case cases[] = {
        {"one", "local", true, "", "new", ""},
        {"one", "local", false, "renamed.txt", "old", "new"},
        {"one", "local", false, "", "old", ""},
        {"local", "one", true, "", "new", ""},
        {"local", "one", false, "renamed.txt", "old", "new"},
        {"local", "one", false, "", "old", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + " to " + c.to + (c.yes ? " yes" : " no ") + c.renameTo);
        fs::remove(Disk(c.to) / "renamed.txt");
        WriteFile(Disk(c.from) / "r.txt", "new");
        WriteFile(Disk(c.to) / "r.txt", "old");
        const std::string targetPath = c.to == "local" ? (m_local / "r.txt").string() : "/r.txt";
        const std::string renamedPath = c.to == "local" ? (m_local / c.renameTo).string() : "/" + c.renameTo;
        CScriptedPrompt prompt;
        prompt.QueueYesNo(c.yes);
        const QString answer = c.renameTo.empty() ? QString() : QString::fromStdString(renamedPath);
        if (c.to == "local")
            prompt.QueueSaveAs(answer);
        else
            prompt.QueueText(answer);
        CopyRows(Top(c.from), {"r.txt"});
        EXPECT_EQ(PasteInto(Top(c.to)), c.yes || !c.renameTo.empty());
        ASSERT_FALSE(prompt.Requests().empty());
        EXPECT_EQ(prompt.Requests()[0].text.toStdString(), targetPath + " exist. Do you want to replace?");
        EXPECT_EQ(prompt.Requests()[0].title, "Replace?");
        if (!c.yes) {
            ASSERT_EQ(prompt.Requests().size(), 2u);
            EXPECT_EQ(prompt.Requests()[1].kind, c.to == "local" ? PromptKind::SaveAs : PromptKind::TextEntry);
            if (c.to != "local") {
                EXPECT_EQ(prompt.Requests()[1].title, "FTP Remote Filename");
            }
        }
        EXPECT_EQ(ReadFile(Disk(c.to) / "r.txt"), c.expectTarget);
        if (!c.expectRenamed.empty()) {
            EXPECT_EQ(ReadFile(Disk(c.to) / "renamed.txt"), c.expectRenamed);
        }
    }
}

TEST_F(Paste, RefusalsWithinOneServer)
{
    fs::create_directories(m_one.Root() / "pub" / "docs" / "inner");
    fs::create_directories(m_one.Root() / "pub" / "docs2");
    WriteFile(m_one.Root() / "pub" / "docs" / "x.txt", "x");
    struct Case {
        std::vector<std::string> target;
        bool cut;
        std::string text, title;
    };
    const Case cases[] = {
        {{"pub"}, false, "Cannot Copy /pub/docs: The destination folder is the same as the source folder",
         "Error Coping File"},
        {{"pub", "docs"}, true, "Cannot Move docs: The destination folder is the same as the source folder",
         "Error Moving Files"},
        {{"pub", "docs", "inner"}, true,
         "Cannot Move /pub/docs/inner/docs: The destination folder is a subfolder of the source folder",
         "Error Moving File"},
        // A folder whose name merely begins with the source's is no
        // subfolder: the only refusal left is the one for one session.
        {{"pub", "docs2"}, false,
         "Cannot Copy /pub/docs: The destination FTP session is the same as the source FTP session",
         "Error Coping File"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CScriptedPrompt prompt;
        CopyRows(Folder("one", {"pub"}), {"docs"}, c.cut);
        EXPECT_FALSE(PasteInto(Folder("one", c.target)));
        ASSERT_EQ(prompt.Requests().size(), 1u);
        EXPECT_EQ(prompt.Requests()[0].kind, PromptKind::Stop);
        EXPECT_EQ(prompt.Requests()[0].text.toStdString(), c.text);
        EXPECT_EQ(prompt.Requests()[0].title.toStdString(), c.title);
        EXPECT_EQ(ReadFile(m_one.Root() / "pub" / "docs" / "x.txt"), "x");
    }
    // The same folder path on the other server is no refusal.
    fs::create_directories(m_two.Root() / "pub");
    CopyRows(Folder("one", {"pub"}), {"docs"});
    EXPECT_TRUE(PasteInto(Folder("two", {"pub"})));
    EXPECT_EQ(ReadFile(m_two.Root() / "pub" / "docs" / "x.txt"), "x");
}

TEST_F(Paste, FilesOtherProgramsCopiedAndWhatTheyReadFromUs)
{
    // Files copied in a file manager arrive as a URI list; a cut moves them.
    WriteFile(m_local / "fm" / "one.txt", "1");
    WriteFile(m_local / "fm" / "dir" / "two.txt", "2");
    auto* foreign = new QMimeData;
    foreign->setData("x-special/gnome-copied-files",
                     "cut\n" + QUrl::fromLocalFile(QString::fromStdString((m_local / "fm" / "one.txt").string()))
                                   .toEncoded());
    foreign->setUrls({QUrl::fromLocalFile(QString::fromStdString((m_local / "fm" / "one.txt").string())),
                      QUrl::fromLocalFile(QString::fromStdString((m_local / "fm" / "dir").string() + "/")),
                      QUrl(QStringLiteral("https://example.invalid/x.txt"))});
    QGuiApplication::clipboard()->setMimeData(foreign);
    EXPECT_TRUE(PasteInto(Top("one")));
    EXPECT_EQ(ReadFile(m_one.Root() / "one.txt"), "1");
    EXPECT_EQ(ReadFile(m_one.Root() / "dir" / "two.txt"), "2");
    EXPECT_FALSE(fs::exists(m_local / "fm" / "one.txt"));
    EXPECT_FALSE(fs::exists(m_local / "fm" / "dir"));

    // Our local Copy and Cut, as a file manager reads them.
    WriteFile(m_local / "a b.txt", "a");
    CopyRows(Top("local"), {"a b.txt"});
    const QMimeData* ours = QGuiApplication::clipboard()->mimeData();
    const QByteArray uri = QUrl::fromLocalFile(QString::fromStdString((m_local / "a b.txt").string())).toEncoded();
    EXPECT_TRUE(uri.contains("a%20b.txt"));
    EXPECT_EQ(ours->data("text/uri-list"), uri + "\r\n");
    EXPECT_EQ(ours->data("x-special/gnome-copied-files"), "copy\n" + uri);
    EXPECT_FALSE(ours->hasFormat("application/x-kde-cutselection"));
    CopyRows(Top("local"), {"a b.txt"}, true);
    ours = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(ours->data("x-special/gnome-copied-files"), "cut\n" + uri);
    EXPECT_EQ(ours->data("application/x-kde-cutselection"), "1");
    EXPECT_TRUE(List()->GetModel()->IsCut(List()->GetModel()->FindName("a b.txt")));

    // An FTP selection is not a file list to us (other programs get local
    // copies, made only when they ask).
    CopyRows(Top("one"), {"one.txt"});
    EXPECT_FALSE(OffersShellFileList(QGuiApplication::clipboard()->mimeData()));
    EXPECT_FALSE(List()->GetModel()->IsCut(List()->GetModel()->FindName("one.txt")));
}

TEST_F(Paste, TreeCutDimsTheFolderAndAppendAddsToAServerFile)
{
    fs::create_directories(m_one.Root() / "site" / "old");
    WriteFile(m_one.Root() / "site" / "old" / "page.html", "<p>");
    QTreeWidgetItem* old = Folder("one", {"site", "old"});
    ASSERT_NE(old, nullptr);
    Tree()->setCurrentItem(old);
    m_pFrame->SetActivePane(CMainFrame::Pane::Tree);
    m_pFrame->OnEditCut();
    EXPECT_NE(old->data(0, Qt::ForegroundRole), QVariant());
    EXPECT_TRUE(PasteInto(Top("two")));
    EXPECT_EQ(ReadFile(m_two.Root() / "old" / "page.html"), "<p>");
    EXPECT_FALSE(fs::exists(m_one.Root() / "site" / "old"));
    // The moved folder left the source's branch.
    EXPECT_EQ(Tree()->FindItem(Folder("one", {"site"}), "old"), nullptr);

    // The same from a local folder, with the branch open as the user left
    // it.
    WriteFile(m_local / "mine" / "a.txt", "a");
    QTreeWidgetItem* mine = Folder("local", {"mine"});
    ASSERT_NE(mine, nullptr);
    Tree()->setCurrentItem(mine);
    m_pFrame->OnEditCut();
    EXPECT_TRUE(PasteInto(Top("two")));
    EXPECT_EQ(ReadFile(m_two.Root() / "mine" / "a.txt"), "a");
    EXPECT_EQ(Tree()->FindItem(Top("local"), "mine"), nullptr);

    // Append: the one local file on the clipboard to the selected row.
    WriteFile(m_one.Root() / "log.txt", "first\n");
    WriteFile(m_local / "more.txt", "second\n");
    CopyRows(Top("local"), {"more.txt"});
    SelectRows(Top("one"), {"log.txt"});
    m_pFrame->SetActivePane(CMainFrame::Pane::List);
    ASSERT_TRUE(m_pFrame->GetAction(CMainFrame::CmdAppend)->isEnabled());
    m_pFrame->OnEditAppend();
    EXPECT_EQ(ReadFile(m_one.Root() / "log.txt"), "first\nsecond\n");

    // An FTP file on the clipboard is refused with words, nothing sent.
    CopyRows(Top("one"), {"log.txt"});
    SelectRows(Top("one"), {"log.txt"});
    guitest::TraceCapture trace;
    List()->OnEditAppend();
    EXPECT_TRUE(trace.Has("cannot append"));
    EXPECT_EQ(ReadFile(m_one.Root() / "log.txt"), "first\nsecond\n");
}

TEST_F(Paste, EditCommandsFollowThePaneTheSelectionAndTheClipboard)
{
    const auto enabled = [this](CMainFrame::Command command) { return m_pFrame->GetAction(command)->isEnabled(); };
    QGuiApplication::clipboard()->clear();
    // A volume or a server is no folder to copy, cut or delete.
    Tree()->setCurrentItem(Top("local"));
    m_pFrame->SetActivePane(CMainFrame::Pane::Tree);
    EXPECT_FALSE(enabled(CMainFrame::CmdCopy));
    EXPECT_FALSE(enabled(CMainFrame::CmdCut));
    EXPECT_FALSE(enabled(CMainFrame::CmdDelete));
    EXPECT_FALSE(enabled(CMainFrame::CmdPaste));
    // Another program's files make Paste possible.
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QString::fromStdString(m_local.string()))});
    QGuiApplication::clipboard()->setMimeData(files);
    EXPECT_TRUE(enabled(CMainFrame::CmdPaste));

    // In the list: Copy needs a selected row, Append an FTP file and one
    // local file of ours on the clipboard.
    WriteFile(m_one.Root() / "log.txt", "log");
    WriteFile(m_local / "add.txt", "add");
    SelectRows(Top("one"), {});
    m_pFrame->SetActivePane(CMainFrame::Pane::List);
    EXPECT_FALSE(enabled(CMainFrame::CmdCopy));
    EXPECT_FALSE(enabled(CMainFrame::CmdDelete));
    SelectRows(Top("one"), {"log.txt"});
    EXPECT_TRUE(enabled(CMainFrame::CmdCopy));
    EXPECT_FALSE(enabled(CMainFrame::CmdAppend));  // the clipboard holds another program's list
    CopyRows(Top("local"), {"add.txt"});
    SelectRows(Top("one"), {"log.txt"});
    EXPECT_TRUE(enabled(CMainFrame::CmdAppend));

    // The right-click menus offer the same, by the same rules.
    const auto entries = [](QMenu* menu) {
        std::vector<std::pair<std::string, bool>> found;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                found.emplace_back(action->text().toStdString(), action->isEnabled());
        }
        delete menu;
        return found;
    };
    using Entries = std::vector<std::pair<std::string, bool>>;
    Entries clipboard = entries(List()->BuildContextMenu());
    std::erase_if(clipboard, [](const auto& entry) {
        return entry.first != "&Append" && entry.first != "Cu&t" && entry.first != "&Copy" && entry.first != "&Paste";
    });
    EXPECT_EQ(clipboard, (Entries{{"&Append", true}, {"Cu&t", true}, {"&Copy", true}, {"&Paste", true}}));
    const Entries volume = entries(Tree()->BuildContextMenu(Top("local")));
    EXPECT_NE(std::find(volume.begin(), volume.end(), std::pair<std::string, bool>{"&Copy", false}), volume.end());
    EXPECT_NE(std::find(volume.begin(), volume.end(), std::pair<std::string, bool>{"&Paste", true}), volume.end());
}
