// The file list's row commands: open, rename in place, delete and new
// folder, on local folders and against the test-bed server, with every
// outcome checked on disk or on the server's side.
#include "DriveView.h"
#include "FileListModel.h"
#include "FileView.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "OpenTempFile.h"
#include "RowNames.h"
#include "ScriptedPrompt.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;
using viewtest::RowNames;
using viewtest::RowOf;

namespace {

int CountCommands(const testbed::TestFtpServer& server, const std::string& prefix)
{
    const auto commands = server.Commands();
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [&](const std::string& line) { return line.starts_with(prefix); }));
}

// Answers Yes to every question and runs a hook before answering, so a
// test can arm a server fault in the middle of a loop of questions.
class HookedPrompt : public IPromptResponder {
public:
    HookedPrompt() : m_pPrevious(CPrompt::SetResponder(this)) {}
    ~HookedPrompt() { CPrompt::SetResponder(m_pPrevious); }
    bool Answer(const PromptRequest& request, QString&) override
    {
        texts.push_back(request.text.toStdString());
        if (hook)
            hook(request);
        return true;
    }
    std::vector<std::string> texts;
    std::function<void(const PromptRequest&)> hook;

private:
    IPromptResponder* m_pPrevious;
};

// Every name in `folder`, sorted.
std::vector<std::string> NamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FtpCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewtest::MakeEntries(m_server.Root() / "dir", {{"inside.txt", false, 3}});
        viewtest::MakeEntries(m_server.Root(), {{"old.txt", false, 5}, {"taken.txt", false, 7}, {"README", false, 0}});
        WriteFile(m_server.Root() / "README", "read me\n");
        m_pFrame = std::make_unique<CMainFrame>(&m_doc);
        ASSERT_NE(viewtest::ConnectServer(*m_pFrame, m_doc, m_server), nullptr);
        ASSERT_GT(List()->GetFtpHandle(), 0);
        ASSERT_EQ(List()->GetCurrentPath(), "/");
    }
    void TearDown() override
    {
        m_pFrame.reset();
        m_doc.OnCloseDocument();
    }
    CFileView* List() { return m_pFrame->GetFileView(); }
    std::string Pane() { return m_pFrame->GetMsgView()->toPlainText().toStdString(); }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    std::unique_ptr<CMainFrame> m_pFrame;
};

}  // namespace

TEST(FileCommandRules, TemporaryFilesAndServerSeparators)
{
    // Exclusive names in the folder asked for, keeping the remote ending.
    const fs::path folder = guitest::NewScratchFolder("tmpnames");
    int error = 0;
    const std::string gz = CreateOpenTempFile(folder.string(), "a.tar.gz", error);
    const std::string odd = CreateOpenTempFile(folder.string(), std::string(400, 'x') + ".a\nb", error);
    for (const std::string& path : {gz, odd}) {
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(fs::path(path).parent_path(), folder);
        EXPECT_TRUE(fs::path(path).filename().string().starts_with("tmp"));
    }
    EXPECT_TRUE(gz.ends_with(".gz") && !gz.ends_with(".tar.gz"));
    EXPECT_TRUE(odd.ends_with(".a_b"));
    EXPECT_TRUE(CreateOpenTempFile((folder / "missing").string(), "x", error).empty());
    EXPECT_EQ(error, ENOENT);
    // A backslash is a name's own character, except on a server that uses it as separator.
    EXPECT_TRUE(NewNameRefusal("a\\b", "/").empty());
    EXPECT_FALSE(NewNameRefusal("a\\b", "\\").empty());
}

TEST_F(FtpCommands, RenameInPlaceByFullPathsAndItsRefusals)
{
    // The user's way: F2, type, Enter.
    ASSERT_TRUE(List()->SelectItem("old.txt"));
    QAbstractItemView* control = List()->GetListCtrl();
    QTest::keyClick(control, Qt::Key_F2);
    const QModelIndex index = List()->GetModel()->index(RowOf(*List(), "old.txt"), 0);
    auto* editor = qobject_cast<QLineEdit*>(control->indexWidget(index));
    ASSERT_NE(editor, nullptr);
    editor->setText("new name.txt");
    QTest::keyClick(editor, Qt::Key_Return);  // the edit ends on the next pass of the event loop
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(m_server.Root() / "new name.txt"), 5000);
    EXPECT_FALSE(fs::exists(m_server.Root() / "old.txt"));
    EXPECT_EQ(CountCommands(m_server, "RNFR /old.txt"), 1);
    EXPECT_EQ(CountCommands(m_server, "RNTO /new name.txt"), 1);
    EXPECT_GE(RowOf(*List(), "new name.txt"), 0);
    EXPECT_EQ(RowOf(*List(), "old.txt"), -1);

    // A folder, by full path; the tree's item follows.
    QTreeWidgetItem* top = m_pFrame->GetDriveView()->GetCurrentItem();
    ASSERT_NE(top, nullptr);
    m_pFrame->GetDriveView()->expandItem(top);
    EXPECT_TRUE(List()->OnEndlabeledit(RowOf(*List(), "dir"), "folder"));
    EXPECT_EQ(ReadFile(m_server.Root() / "folder" / "inside.txt"), "xxx");
    std::vector<std::string> children;
    for (int i = 0; i < top->childCount(); ++i)
        children.push_back(top->child(i)->text(0).toStdString());
    EXPECT_EQ(children, std::vector<std::string>{"folder"});

    // Refused: nothing reaches the server, the label stays, the pane says why.
    const int row = RowOf(*List(), "taken.txt");
    const int before = CountCommands(m_server, "RNFR");
    struct Case {
        std::string name, why;
    };
    for (const Case& c : std::vector<Case>{{"new name.txt", "already exists"}, {"a/b", "cannot contain \"/\""},
                                           {".", "stands for a folder"}, {"..", "stands for a folder"},
                                           {"x\r\nDELE README", "line break"}, {"taken.txt", ""}}) {
        m_pFrame->GetMsgView()->ClearLog();
        EXPECT_FALSE(List()->OnEndlabeledit(row, c.name)) << c.name;
        EXPECT_EQ(List()->GetItem(row)->m_strName, "taken.txt");
        if (!c.why.empty()) {
            EXPECT_NE(Pane().find(c.why), std::string::npos) << Pane();
        }
    }
    EXPECT_EQ(CountCommands(m_server, "RNFR"), before);
    EXPECT_EQ(ReadFile(m_server.Root() / "new name.txt"), "xxxxx");
    EXPECT_EQ(ReadFile(m_server.Root() / "taken.txt"), "xxxxxxx");
}

TEST_F(FtpCommands, DeleteAsksPerRowAndStopsAtTheFirstFailure)
{
    viewtest::MakeEntries(m_server.Root() / "sub", {{"a.txt", false, 1}, {"b.txt", false, 2}, {"c.txt", false, 3}});
    viewtest::MakeEntries(m_server.Root() / "sub" / "deep", {{"x", false, 1}});
    List()->ShowFtpFolder("testbed", List()->GetFtpHandle(), "/sub");
    // A ".." row, as DOS servers list it: it names the parent, never a row
    // to delete.
    std::vector<FileListItem> items;
    for (int row = 0; row < List()->GetItemCount(); ++row)
        items.push_back(*List()->GetItem(row));
    FileListItem parent = items.front();
    parent.m_strName = "..";
    parent.m_bIsDir = 1;
    items.insert(items.begin(), parent);
    List()->GetModel()->SetItems(items, std::vector<int>(items.size(), 0));
    List()->GetListCtrl()->selectAll();

    HookedPrompt prompt;
    prompt.hook = [&](const PromptRequest& request) {
        EXPECT_EQ(request.title, "Delete");
        if (request.text == "Delete /sub/b.txt?")
            m_server.FailCommand("DELE", 1, 550);
    };
    List()->OnEditDelete();

    EXPECT_EQ(prompt.texts,
              (std::vector<std::string>{"Delete /sub/deep?", "Delete /sub/a.txt?", "Delete /sub/b.txt?"}));
    EXPECT_EQ(NamesIn(m_server.Root() / "sub"), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_EQ(NamesIn(m_server.Root()), (std::vector<std::string>{"README", "dir", "old.txt", "sub", "taken.txt"}));
    // Listed again after the deletes.
    EXPECT_EQ(RowNames(*List()), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_NE(Pane().find("Cannot delete /sub/b.txt"), std::string::npos);
}

TEST_F(FtpCommands, NewFolderTakesTheFirstFreeNameAndStartsItsEdit)
{
    viewtest::MakeEntries(m_server.Root(), {{"NewFolder", true}, {"newfolder0", false, 1}});
    List()->RefreshView();
    List()->OnFileNewFolder();
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "NewFolder1"));
    EXPECT_EQ(CountCommands(m_server, "MKD /NewFolder1"), 1);
    ASSERT_NE(List()->GetSelectedItem(), nullptr);
    EXPECT_EQ(List()->GetSelectedItem()->m_strName, "NewFolder1");
    const QModelIndex index = List()->GetModel()->index(RowOf(*List(), "NewFolder1"), 0);
    EXPECT_NE(qobject_cast<QLineEdit*>(List()->GetListCtrl()->indexWidget(index)), nullptr);
}

TEST_F(FtpCommands, OpenGoesThroughATemporaryCopyThatAFailedTransferDoesNotLeave)
{
    const fs::path temp = guitest::NewScratchFolder("open-temp");
    const std::string oldTemp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", temp.c_str(), 1);
    const FileListItem readme = *List()->GetItem(RowOf(*List(), "README"));
    {
        CScriptedPrompt prompt;
        prompt.QueueYesNo(true);   // open it
        prompt.QueueYesNo(false);  // keep the temporary file
        List()->OpenFileItem(readme);
        ASSERT_EQ(prompt.Requests().size(), 2u);
        EXPECT_EQ(prompt.Requests()[0].text, "README");
        EXPECT_EQ(prompt.Requests()[0].title, "Open FTP file?");
        EXPECT_EQ(prompt.Requests()[1].text, "Do you want to delete the temporary file?");
        const fs::path copy = prompt.Requests()[1].title.toStdString();
        EXPECT_EQ(copy.parent_path(), temp);
        EXPECT_TRUE(copy.filename().string().starts_with("tmp"));
        EXPECT_TRUE(copy.filename().string().ends_with(".README"));
        EXPECT_EQ(ReadFile(copy), "read me\n");
        EXPECT_NE(Pane().find("Transferring file, please wait..."), std::string::npos);
        fs::remove(copy);
    }
    // A transfer that fails opens nothing and leaves nothing behind.
    m_server.FailCommand("RETR", 1, 550);
    {
        CScriptedPrompt prompt;
        prompt.QueueYesNo(true);
        prompt.QueueYesNo(true);
        List()->OpenFileItem(readme);
        EXPECT_EQ(prompt.Requests().size(), 1u);
    }
    EXPECT_TRUE(NamesIn(temp).empty());
    EXPECT_NE(Pane().find("Cannot open /README: the transfer failed"), std::string::npos);
    if (oldTemp.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", oldTemp.c_str(), 1);
}

TEST_F(FtpCommands, ALinkToAFolderOpensAsThatFolder)
{
    fs::create_directory_symlink("dir", m_server.Root() / "latest");
    List()->RefreshView();
    const int row = RowOf(*List(), "latest");
    ASSERT_GE(row, 0);
    const FileListItem link = *List()->GetItem(row);
    EXPECT_TRUE(link.m_bIsLink);
    CScriptedPrompt prompt;  // a question would mean it was taken for a file
    List()->OpenFileItem(link);
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_EQ(List()->GetCurrentPath(), "/latest/");
    EXPECT_EQ(viewtest::RowNames(*List()), std::vector<std::string>{"inside.txt"});
}

TEST(FileCommands, LocalRenameDeleteAndNewFolder)
{
    CTavoDoc doc;
    CFileView view(&doc);
    const fs::path folder = guitest::NewScratchFolder("local-commands");
    WriteFile(folder / "a.txt", "aaa");
    WriteFile(folder / "b.txt", "bbb");
    fs::create_directories(folder / "newfolder");
    view.ShowLocalFolder(folder.string());

    // Rename by full paths, wherever the process works.
    EXPECT_TRUE(view.OnEndlabeledit(RowOf(view, "a.txt"), "c.txt"));
    EXPECT_EQ(ReadFile(folder / "c.txt"), "aaa");
    EXPECT_EQ(view.GetItem(RowOf(view, "c.txt"))->m_strPath, (folder / "c.txt").string());
    // Never over an existing entry: one in the rows, one only on disk.
    WriteFile(folder / "ghost", "boo");
    EXPECT_FALSE(view.OnEndlabeledit(RowOf(view, "b.txt"), "c.txt"));
    EXPECT_FALSE(view.OnEndlabeledit(RowOf(view, "b.txt"), "ghost"));
    EXPECT_EQ(ReadFile(folder / "ghost"), "boo");
    EXPECT_EQ(ReadFile(folder / "b.txt"), "bbb");

    // New folders: case-insensitive against the rows, and a name made on
    // disk since the listing is passed over too.
    view.OnFileNewFolder();
    EXPECT_TRUE(fs::is_directory(folder / "NewFolder0"));
    fs::create_directories(folder / "NewFolder1");
    view.OnFileNewFolder();
    EXPECT_TRUE(fs::is_directory(folder / "NewFolder2"));
    EXPECT_EQ(view.GetSelectedItem()->m_strName, "NewFolder2");

    // Delete: to the Trash after a question, for good with Shift.
    {
        CScriptedPrompt prompt;
        prompt.QueueYesNo(true);
        ASSERT_TRUE(view.SelectItem("c.txt"));
        view.DeleteFileItem(false);
        ASSERT_EQ(prompt.Requests().size(), 1u);
        EXPECT_NE(prompt.Requests()[0].text.indexOf("Trash"), -1);
        EXPECT_FALSE(fs::exists(folder / "c.txt"));
        EXPECT_EQ(ReadFile(guitest::DataHome() / "Trash" / "files" / "c.txt"), "aaa");
        EXPECT_EQ(RowOf(view, "c.txt"), -1);

        prompt.QueueYesNo(true);
        ASSERT_TRUE(view.SelectItem("b.txt"));
        view.DeleteFileItem(true);
        EXPECT_FALSE(fs::exists(folder / "b.txt"));
        EXPECT_FALSE(fs::exists(guitest::DataHome() / "Trash" / "files" / "b.txt"));
    }

    // A ".." row is never renamed or deleted.
    std::vector<FileListItem> items{*view.GetItem(0)};
    items[0].m_strName = "..";
    items[0].m_bIsDir = 1;
    items[0].m_strPath = (folder / "..").string();
    view.GetModel()->SetItems(items, {0});
    view.GetListCtrl()->selectAll();
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    view.DeleteFileItem(true);
    EXPECT_FALSE(view.OnEndlabeledit(0, "up"));
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_TRUE(fs::exists(folder / "ghost"));
}
